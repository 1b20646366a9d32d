// startable: generates SPup.sbd, the star table the program reads to show a star's balloon,
// from its UTF-8 source (tools/startable/stars.tsv). The build runs it; see README.md beside
// it for the source's columns and the file it writes. The table is built by
// star_table_source, which skymap --install shares.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "sky/sky_chart.h"
#include "tools/startable/star_table_source.h"

namespace chart = sky::chart;

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr const char* kUsageLine = "usage: startable [OPTIONS] SOURCE.tsv (OUT.sbd | --output DIR)";
using startable::kTableName;

// A bad command line: one line on standard error and status 2.
int BadArguments(const std::string& problem) {
  std::fprintf(stderr, "startable: %s (startable --help shows the usage)\n", problem.c_str());
  return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  const chart::ToolArguments arguments = chart::ReadToolArguments(argc, argv);
  if (arguments.help) {
    std::printf(
        "%s\n"
        "Generates the program's star table (SPup.sbd) from a UTF-8, TAB-separated source:\n"
        "  hr  ra_hours  dec_degrees  vmag  title  subtitle  description  [extra]\n"
        "one star a line, '#' lines and blank lines ignored. See tools/startable/README.md.\n"
        "The rectangles follow the sky map's projection; with no options, the committed map's\n"
        "(Tokyo at 21:00 JST in 2026). Give the same options as to skymap:\n",
        kUsageLine);
    std::fputs(chart::kObserverOptionsHelp, stdout);
    std::printf("  --output DIR        write DIR/%s (instead of OUT.sbd)\n", kTableName);
    return 0;
  }
  if (!arguments.error.empty()) return BadArguments(arguments.error);
  const std::optional<std::string>& outputDir = arguments.outputDir;
  const std::vector<std::string>& positional = arguments.positional;
  if (positional.size() != (outputDir ? 1u : 2u)) {
    std::fprintf(stderr, "%s\n", kUsageLine);
    return kUsage;
  }
  const chart::Projection projection(arguments.observer);
  const std::string source = positional[0];
  const std::string out = outputDir ? *outputDir + "/" + kTableName : positional[1];
  try {
    const startable::StarTable table = startable::ReadStarTable(projection, source);
    const std::string bytes = startable::ComposeTable(table);
    startable::WriteFilesAtomically({{out, bytes}});
    const std::string leftOutNote =
        table.leftOut > 0 ? ", " + std::to_string(table.leftOut) + " left out as off this sky map" : std::string();
    std::printf("startable: %zu stars (%d of them with two images on the map%s), %zu bytes, into %s\n",
                table.stars.size(), table.StarsWithTwoImages(), leftOutNote.c_str(), bytes.size(), out.c_str());
  } catch (const startable::Refusal& refusal) {
    std::fprintf(stderr, "startable: %s: %s\n", refusal.where.c_str(), refusal.problem.c_str());
    return kFailed;
  }
  return 0;
}
