#include "tools/quorbench/BenchTable.h"

#include "tools/quorbench/BenchSession.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, value >= 100 ? "%.0f" : value >= 10 ? "%.1f" : "%.2f", value);
    return text;
}

// CSV fields in quotes when they hold a comma or a quote.
std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

} // namespace

double RatioOf(const BenchRow& row)
{
    return row.floor > 0 ? row.value / row.floor : 0;
}

void BenchTable::Add(const BenchRow& row)
{
    rows_.push_back(row);
    const BenchRow& r = rows_.back();
    // Each figure shows as it comes, so a long run tells where it stands.
    std::printf("  %s: %s %s%s%s\n", r.figure.c_str(), Number(r.value).c_str(), r.unit.c_str(),
                r.floor > 0 ? (" (floor " + Number(r.floor) + ")").c_str() : "",
                r.note.empty() ? "" : ("; " + r.note).c_str());
    std::fflush(stdout);
    bench::Stage("after " + r.figure);
}

void BenchTable::Print() const
{
    int width = 6;
    for (const BenchRow& r : rows_)
        width = std::max(width, static_cast<int>(r.figure.size()));
    std::printf("\n| %-*s | %10s | %-7s | %10s | %6s | %s\n", width, "figure", "value", "unit", "floor", "ratio",
                "note");
    std::printf("|%s|%s|%s|%s|%s|%s\n", std::string(width + 2, '-').c_str(), std::string(12, '-').c_str(),
                std::string(9, '-').c_str(), std::string(12, '-').c_str(), std::string(8, '-').c_str(), "------");
    for (const BenchRow& r : rows_) {
        const std::string floor = r.floor > 0 ? Number(r.floor) : "";
        const std::string ratio = r.floor > 0 ? Number(RatioOf(r)) : "";
        std::printf("| %-*s | %10s | %-7s | %10s | %6s | %s\n", width, r.figure.c_str(), Number(r.value).c_str(),
                    r.unit.c_str(), floor.c_str(), ratio.c_str(), r.note.c_str());
    }
    std::fflush(stdout);
}

bool BenchTable::WriteCsv(const std::string& path) const
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    std::fprintf(file, "figure,value,unit,floor,ratio,note\n");
    for (const BenchRow& r : rows_) {
        std::fprintf(file, "%s,%.4f,%s,%.4f,%.4f,%s\n", CsvField(r.figure).c_str(), r.value, CsvField(r.unit).c_str(),
                     r.floor, RatioOf(r), CsvField(r.note).c_str());
    }
    return std::fclose(file) == 0;
}
