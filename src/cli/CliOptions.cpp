#include "cli/CliOptions.h"

#include <algorithm>

namespace vellora {
namespace {

const CliOption* findOption(const CliCommand& command, std::string_view word) {
    for (const CliOption& o : command.options) {
        if (o.name == word || (!o.alias.empty() && o.alias == word)) return &o;
    }
    return nullptr;
}

bool looksLikeOption(std::string_view word) {
    return word.size() > 2 && word.starts_with("--");
}

std::string optionText(const CliOption& o) {
    std::string text(o.name);
    if (o.kind == OptionKind::Value) text += " " + std::string(o.valueName);
    return text;
}

std::string argumentText(const CliArgument& a) {
    switch (a.count) {
        case ArgCount::Optional:
            return "[" + std::string(a.name) + "]";
        case ArgCount::OneOrMore:
            return std::string(a.name) + "...";
        case ArgCount::One:
        case ArgCount::Text:
            break;
    }
    return std::string(a.name);
}

}  // namespace

std::string CliCall::text() const {
    std::string joined;
    for (const std::string& a : arguments_) joined += (joined.empty() ? "" : " ") + a;
    return joined;
}

bool CliCall::has(std::string_view option) const {
    return std::any_of(options_.begin(), options_.end(), [&](const auto& o) { return o.first == option; });
}

std::optional<std::string> CliCall::value(std::string_view option) const {
    for (auto it = options_.rbegin(); it != options_.rend(); ++it) {
        if (it->first == option) return it->second;
    }
    return std::nullopt;
}

CliParse parseCommandLine(const CliCommand& command, const std::vector<std::string>& words) {
    CliCall call(command);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        const std::size_t eq = looksLikeOption(word) ? word.find('=') : std::string::npos;
        const std::string name = word.substr(0, eq);
        const CliOption* option = findOption(command, name);
        if (!option) {
            if (looksLikeOption(word)) return {std::nullopt, "Unbekannte Option: " + word};
            call.arguments_.push_back(word);
            continue;
        }
        std::string value;
        if (option->kind == OptionKind::Value) {
            if (eq != std::string::npos) {
                value = word.substr(eq + 1);
            } else if (i + 1 < words.size()) {
                value = words[++i];
            } else {
                return {std::nullopt, word + ": Wert fehlt"};
            }
        } else if (eq != std::string::npos) {
            return {std::nullopt, name + ": ohne Wert"};
        }
        call.options_.emplace_back(option->name, std::move(value));
    }

    for (const CliOption& o : command.options) {
        if (o.required && !call.has(o.name)) return {std::nullopt, std::string(o.name) + " fehlt"};
        if (!o.pairedWith.empty() && call.has(o.name) != call.has(o.pairedWith))
            return {std::nullopt,
                    std::string(o.name) + " und " + std::string(o.pairedWith) + " nur zusammen"};
    }

    std::size_t required = 0, optional = 0;
    bool unbounded = false;
    for (const CliArgument& a : command.arguments) {
        if (a.count == ArgCount::Optional)
            ++optional;
        else
            ++required;
        unbounded = unbounded || a.count == ArgCount::OneOrMore || a.count == ArgCount::Text;
    }
    const std::size_t given = call.arguments_.size();
    if (given < required) {
        // The first argument without a word; optional ones stand after the required ones.
        std::size_t seen = 0;
        for (const CliArgument& a : command.arguments) {
            if (a.count == ArgCount::Optional) continue;
            if (seen++ == given) return {std::nullopt, std::string(a.name) + " fehlt"};
        }
    }
    if (!unbounded && given > required + optional) return {std::nullopt, "Zu viele Argumente"};
    return {std::move(call), {}};
}

std::string usageLine(const CliCommand& command) {
    std::string line(command.words);
    for (const CliArgument& a : command.arguments) line += " " + argumentText(a);
    for (const CliOption& o : command.options) {
        // The second of a pair is shown in the first one's bracket.
        const bool second = std::any_of(command.options.begin(), command.options.end(),
                                        [&](const CliOption& p) { return p.pairedWith == o.name; });
        if (second) continue;
        std::string text = optionText(o);
        if (!o.pairedWith.empty()) {
            if (const CliOption* partner = findOption(command, o.pairedWith))
                text += " " + optionText(*partner);
        }
        line += " " + (o.required ? text : "[" + text + "]");
    }
    return line;
}

std::string helpText(const CliCommand& command) {
    std::string text = "  " + usageLine(command) + "\n      " + std::string(command.summary) + "\n";
    std::size_t width = 0;
    for (const CliOption& o : command.options) width = std::max(width, optionText(o).size());
    for (const CliOption& o : command.options) {
        std::string names = optionText(o);
        names.resize(width, ' ');
        std::string help(o.help);
        if (!o.alias.empty()) help += " (auch " + std::string(o.alias) + ")";
        text += "      " + names + "  " + help + "\n";
    }
    return text;
}

}  // namespace vellora
