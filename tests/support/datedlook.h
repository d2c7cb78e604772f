#pragma once

#include "datesfile.h"
#include "filefollower.h"
#include "recorddates.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>

// A date as the tests compare it: the time as the dates file writes it, and the computer.
inline QString stampText(qint64 seconds, int utcOffset, std::string_view host)
{
    return QString::fromLatin1(DatesFile::isoTime(seconds, utcOffset)) + ' ' +
           QString::fromUtf8(host.data(), qsizetype(host.size()));
}

// What the journal's loader does with one results file and its dates file, a look at a time:
// each record with the date the dates file gives it, as "line:time host", or "line:" undated.
class DatedLook : public FileFollower::Sink
{
public:
    explicit DatedLook(const QString &path)
        : m_path(path), m_follower(std::make_unique<FileFollower>(path)), m_dates(path)
    {
    }

    void look()
    {
        if (!m_dates.look()) {
            m_follower = std::make_unique<FileFollower>(m_path);
            m_dates.startOver();
            m_dated.clear();
        }
        m_follower->poll(*this);
        for (const RecordDates::Late &late : m_dates.lateDates())
            m_dated[late.line] =
                stampText(late.seconds, late.utcOffset, std::string_view(late.host));
    }
    QStringList dated() const
    {
        QStringList lines;
        for (const auto &[line, when] : m_dated)
            lines << QString::number(line) + ':' + when;
        return lines;
    }

    void startedOver() override
    {
        m_dates.startOver();
        m_dated.clear();
    }
    void lastLineVoided() override { m_dated.erase(m_unended); }
    void record(const LinePlace &place, const LineRecord &record) override
    {
        const auto stamp = m_dates.record(place, record.bytes);
        m_dated[place.number] =
            stamp ? stampText(stamp->seconds, stamp->utcOffset, stamp->host) : QString();
        m_unended = place.ended ? 0 : place.number;
    }
    void skipped(const LinePlace &, LineFault, const LineHead &) override { m_unended = 0; }

private:
    QString m_path;
    std::unique_ptr<FileFollower> m_follower;
    RecordDates m_dates;
    std::map<qint64, QString> m_dated;
    qint64 m_unended = 0; // the last line handed out, when an unended record
};
