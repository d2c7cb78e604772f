#pragma once

#include "filefollower.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

// Every line the lenient reader or a follower hands out, its name's bytes kept. What a follower
// voids is taken away, as the journal's models take it away.
class LineLog : public FileFollower::Sink
{
public:
    struct Line
    {
        LinePlace place;
        bool isRecord = false;
        LineFault fault;
        std::array<qint16, 6> scores{};
        double total = 0;
        std::string name;
        TextEncoding encoding = TextEncoding::Cp1251; // the name's or the start's
        std::string head;                             // a skipped line's start
        bool cut = false;                             // the name or the start is cut short
    };

    std::vector<Line> lines;
    // Nothing was voided that was not an unended last line, and nothing came after one.
    bool consistent = true;
    bool unendedHandedOut = false;
    int startOvers = 0;
    int voids = 0;

    void startedOver() override
    {
        ++startOvers;
        lines.clear();
    }
    void lastLineVoided() override
    {
        ++voids;
        consistent = consistent && !lines.empty() && !lines.back().place.ended;
        if (!lines.empty())
            lines.pop_back();
    }
    void record(const LinePlace &place, const LineRecord &record) override
    {
        add({place,
             true,
             {},
             record.scores,
             record.total,
             std::string(record.name),
             record.encoding,
             {},
             record.nameCut});
    }
    void skipped(const LinePlace &place, LineFault fault, const LineHead &head) override
    {
        add({place, false, fault, {}, 0, {}, head.encoding, std::string(head.bytes), head.cut});
    }

    // The same lines with the same numbers, reasons, scores, totals (to the bit), names and
    // skipped lines' starts; with `places`, over the same bytes too.
    bool same(const LineLog &other, bool places) const
    {
        if (lines.size() != other.lines.size())
            return false;
        for (size_t i = 0; i < lines.size(); ++i) {
            const Line &a = lines[i];
            const Line &b = other.lines[i];
            if (a.place.number != b.place.number || a.place.ended != b.place.ended ||
                a.isRecord != b.isRecord || a.fault != b.fault || a.scores != b.scores ||
                std::memcmp(&a.total, &b.total, sizeof(double)) != 0 || a.name != b.name ||
                a.head != b.head || a.cut != b.cut)
                return false;
            if (places && (a.place.start != b.place.start || a.place.end != b.place.end))
                return false;
        }
        return true;
    }

private:
    void add(Line line)
    {
        consistent = consistent && (lines.empty() || lines.back().place.ended);
        unendedHandedOut = unendedHandedOut || !line.place.ended;
        lines.push_back(std::move(line));
    }
};
