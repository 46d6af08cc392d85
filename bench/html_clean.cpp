// Cleaned HTML per second: the cleaner over a long description of the listing site's shape
// (paragraphs, fonts, tables, links, images, a style block; 4-40 KB) and over a log block of 40 logs.
#include <benchmark/benchmark.h>

#include <string>

#include "core/HtmlClean.h"

namespace vellora {
namespace {

std::string longDescription(int paragraphs) {
    std::string s;
    for (int i = 0; i < paragraphs; ++i) {
        s += "<P>Der Weg f\xFChrt <font color=\"#006600\" face=\"Arial\">am Bach</font> entlang zur "
             "<b>M\xFChle</b>."
             "<BR>\r\n<span style=\"color:red\">Achtung</span> &amp; <a "
             "href=\"http://www.example/info\">Info</a> "
             "<img src=\"./GC1_i1.jpg\" width=\"300\" height=\"200\" alt=\"Bild\"><BR>\r\n"
             "<table border=\"1\"><tr><td>Stage</td><td>N 48&deg; 08.123</td></tr></table></P>\r\n";
    }
    return s + "<style type=\"text/css\">p { margin: 0 }</style>";
}

std::string logBlock(int logs) {
    std::string s;
    for (int i = 0; i < logs; ++i)
        s += "\r\n<P><B><!-- [[LOG]] -->:-)&nbsp;May 1 by Finder </B>(12 found)</B><BR>\r\nSchnell gefunden, "
             "danke f\xFCr den Cache!</B><BR>\r\n</B><BR>\r\n</P>";
    return s;
}

void cleanBench(benchmark::State& state, const std::string& html) {
    for (auto _ : state) benchmark::DoNotOptimize(cleanHtml(html));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(html.size()));
}

void BM_CleanLongDescription(benchmark::State& state) {
    cleanBench(state, longDescription(static_cast<int>(state.range(0))));
}
BENCHMARK(BM_CleanLongDescription)->Arg(10)->Arg(100);

void BM_CleanLogs(benchmark::State& state) {
    cleanBench(state, logBlock(40));
}
BENCHMARK(BM_CleanLogs);

}  // namespace
}  // namespace vellora
