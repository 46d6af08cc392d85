#pragma once
// Typed characters of a line edit go through a model's key rule: taken as they are, replaced
// ("," becomes ".") or dropped. Keys without a character and shortcuts stay the edit's own.
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>
#include <optional>

namespace vellora {

class KeyFilter : public QObject {
public:
    using Rule = std::function<std::optional<char>(char)>;

    // Installs itself on the edit and lives as long as it.
    static void install(QLineEdit* edit, Rule rule) { new KeyFilter(edit, std::move(rule)); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() != 1 || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        const QChar c = text.front();
        if (c == QChar('\b') || c.unicode() == 0x7F || c.unicode() < 0x20) return false;
        const auto taken = c.unicode() < 128 ? rule_(static_cast<char>(c.unicode())) : std::nullopt;
        if (!taken) return true;
        if (*taken != static_cast<char>(c.unicode())) {
            static_cast<QLineEdit*>(watched)->insert(QString(QChar(*taken)));
            return true;
        }
        return false;
    }

private:
    KeyFilter(QLineEdit* edit, Rule rule) : QObject(edit), rule_(std::move(rule)) {
        edit->installEventFilter(this);
    }

    Rule rule_;
};

}  // namespace vellora
