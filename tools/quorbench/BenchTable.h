#pragma once
// The benchmark's figures: each measured value beside the floor it is
// compared with, printed as a table and written as CSV.
#include <string>
#include <vector>

struct BenchRow {
    std::string figure;
    double value = 0;
    std::string unit;
    double floor = 0; // 0: no floor to compare with
    std::string note;
};

class BenchTable {
public:
    void Add(const BenchRow& row);
    void Print() const;
    bool WriteCsv(const std::string& path) const;

private:
    std::vector<BenchRow> rows_;
};

// value / floor, or 0 without a floor.
double RatioOf(const BenchRow& row);
