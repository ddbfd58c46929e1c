#include "platform/systemlog.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace platform;

namespace {

using Fields = std::multimap<QByteArray, QByteArray>;

// The journal's reading of a native datagram: KEY=value lines, or KEY, a newline, a 64-bit
// little-endian length, the value and a newline. Anything else makes the datagram invalid.
std::optional<Fields> parseDatagram(const QByteArray &d)
{
    Fields fields;
    qsizetype at = 0;
    while (at < d.size()) {
        const qsizetype end = d.indexOf('\n', at);
        if (end < 0)
            return std::nullopt;
        const QByteArray line = d.mid(at, end - at);
        const qsizetype eq = line.indexOf('=');
        if (eq >= 0) {
            fields.emplace(line.left(eq), line.mid(eq + 1));
            at = end + 1;
            continue;
        }
        if (end + 9 > d.size())
            return std::nullopt;
        quint64 size = 0;
        for (int i = 7; i >= 0; --i)
            size = size << 8 | quint8(d.at(end + 1 + i));
        const qsizetype value = end + 9;
        if (size > quint64(d.size() - value - 1) || d.at(value + qsizetype(size)) != '\n')
            return std::nullopt;
        fields.emplace(line, d.mid(value, qsizetype(size)));
        at = value + qsizetype(size) + 1;
    }
    return fields;
}

// A strict reader of the syslog line's fields: NAME="value" with \\, \" and \xNN escapes.
std::optional<Fields> parseSyslogFields(const QByteArray &line, QByteArray *message)
{
    static const QRegularExpression head(QStringLiteral(
        R"(^<(\d+)>[A-Z][a-z]{2} [ 1-3]\d \d\d:\d\d:\d\d ([A-Za-z0-9._-]+)\[\d+\]: )"));
    const auto m = head.match(QString::fromUtf8(line));
    if (!m.hasMatch())
        return std::nullopt;
    const QByteArray rest = line.mid(m.capturedLength(0));
    // The message ends where the first field begins: a blank, a name, '=' and a quote.
    const auto fieldAt = [&rest](qsizetype i) {
        if (rest.at(i) != ' ')
            return false;
        qsizetype j = i + 1;
        while (j < rest.size() && ((rest.at(j) >= 'A' && rest.at(j) <= 'Z') ||
                                   (rest.at(j) >= '0' && rest.at(j) <= '9') || rest.at(j) == '_'))
            ++j;
        return j > i + 1 && rest.mid(j, 2) == "=\"";
    };
    qsizetype at = 0;
    while (at < rest.size() && !fieldAt(at))
        ++at;
    if (message)
        *message = rest.left(at);
    Fields fields;
    while (at < rest.size()) {
        if (rest.at(at) != ' ')
            return std::nullopt;
        const qsizetype eq = rest.indexOf("=\"", at);
        if (eq < 0)
            return std::nullopt;
        const QByteArray name = rest.mid(at + 1, eq - at - 1);
        QByteArray value;
        qsizetype i = eq + 2;
        for (;; ++i) {
            if (i >= rest.size())
                return std::nullopt;
            const char c = rest.at(i);
            if (c == '"')
                break;
            if (c != '\\') {
                value += c;
                continue;
            }
            if (++i >= rest.size())
                return std::nullopt;
            if (rest.at(i) == 'x') {
                value += char(rest.mid(i + 1, 2).toInt(nullptr, 16));
                i += 2;
            } else {
                value += rest.at(i);
            }
        }
        fields.emplace(name, value);
        at = i + 1;
    }
    return fields;
}

LogRecord record(std::vector<LogField> fields, QByteArray message = "Page shown")
{
    LogRecord r;
    r.identifier = "ldpn";
    r.priority = LogPriority::Warning;
    r.message = std::move(message);
    r.fields = std::move(fields);
    return r;
}

// A socket of the test's own at `path`: datagrams, or a listening stream socket.
class TestSocket
{
public:
    TestSocket(const QString &path, int type) : m_type(type)
    {
        m_fd = ::socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        const QByteArray p = path.toLocal8Bit();
        std::memcpy(a.sun_path, p.constData(), size_t(p.size()));
        ok = m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof(a)) == 0 &&
             (type != SOCK_STREAM || ::listen(m_fd, 4) == 0);
    }
    ~TestSocket() { ::close(m_fd); }
    // What arrived, without waiting: the datagram, or all a stream connection carried.
    QByteArray take()
    {
        char buffer[1 << 16];
        int fd = m_fd;
        int accepted = -1;
        if (m_type == SOCK_STREAM)
            fd = accepted = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK);
        QByteArray all;
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof(buffer), MSG_DONTWAIT);
            if (n <= 0)
                break;
            all.append(buffer, n);
            if (accepted < 0)
                break;
        }
        if (accepted >= 0)
            ::close(accepted);
        return all;
    }
    bool ok = false;

private:
    int m_type;
    int m_fd = -1;
};

TEST(JournalDatagram, ValuesArriveWholeAndNoneMakesAFieldOfItsOwn)
{
    const QByteArray withNewline = "two\nMESSAGE=forged\nlines";
    const QByteArray withNul = QByteArray("a\0b", 3);
    const auto parsed = parseDatagram(journalDatagram(record({
        {"DAYPANE_URL", "http://intra/news?a=1&b=\"2\""},
        {"DAYPANE_ERROR", withNewline},
        {"DAYPANE_STAMP_DAY", withNul},
        {"DAYPANE_PREVIOUS_LOGIN", ""},
        {"_UID", "0"},         // the journal's own fields are not the sender's to set
        {"lower", "x"},        // nor names it refuses
        {"MESSAGE", "second"}, // nor a second message
    })));
    ASSERT_TRUE(parsed.has_value());
    const Fields expected = {
        {"MESSAGE", "Page shown"},      {"PRIORITY", "4"},
        {"SYSLOG_IDENTIFIER", "ldpn"},  {"DAYPANE_URL", "http://intra/news?a=1&b=\"2\""},
        {"DAYPANE_ERROR", withNewline}, {"DAYPANE_STAMP_DAY", withNul},
        {"DAYPANE_PREVIOUS_LOGIN", ""},
    };
    EXPECT_EQ(*parsed, expected);
}

TEST(JournalDatagram, LongValuesAreCutOnACharacterBoundary)
{
    // Three-byte characters, so that the cut falls inside one unless it backs up.
    QByteArray longValue;
    while (longValue.size() < 3 * kMaxLogValueBytes)
        longValue += "\xE2\x82\xAC"; // the euro sign
    const auto parsed = parseDatagram(journalDatagram(record({{"DAYPANE_URL", longValue}})));
    ASSERT_TRUE(parsed.has_value());
    const QByteArray cut = parsed->find("DAYPANE_URL")->second;
    EXPECT_LE(cut.size(), kMaxLogValueBytes);
    EXPECT_GT(cut.size(), kMaxLogValueBytes - 8);
    EXPECT_TRUE(cut.endsWith("\xE2\x82\xAC..."));
    EXPECT_TRUE(longValue.startsWith(cut.chopped(3)));
}

TEST(SyslogLine, OneLineWhoseFieldsNoValueCanForge)
{
    const QByteArray sneaky = "x\" DAYPANE_ACTION=\"printed";
    const QByteArray lines = "one\ntwo\r\n<13>Jan  1 00:00:00 ldpn[1]: forged";
    const QByteArray backslashes = "C:\\Temp\\\" \\";
    LogRecord r = record({{"DAYPANE_URL", sneaky},
                          {"DAYPANE_ERROR", lines},
                          {"DAYPANE_STAMP_DAY", backslashes},
                          {"DAYPANE_MODE", ""},
                          {"_UID", "0"}},
                         "Page shown: " + sneaky + "\n" + lines);
    const QByteArray line = syslogLine(r, "Jul  9 08:05:01", 4321);
    EXPECT_TRUE(line.startsWith("<12>Jul  9 08:05:01 ldpn[4321]: Page shown: x\\\" DAYPANE_"))
        << line.toStdString();
    for (const char c : line)
        EXPECT_GE(quint8(c), 0x20) << line.toStdString();

    QByteArray message;
    const auto fields = parseSyslogFields(line, &message);
    ASSERT_TRUE(fields.has_value()) << line.toStdString();
    const Fields expected = {{"DAYPANE_URL", sneaky},
                             {"DAYPANE_ERROR", lines},
                             {"DAYPANE_STAMP_DAY", backslashes},
                             {"DAYPANE_MODE", ""}};
    EXPECT_EQ(*fields, expected);
    EXPECT_FALSE(message.contains("=\"")) << message.toStdString();
}

TEST(SyslogLine, PriorityIsTheUserFacilitysSeverity)
{
    for (const auto &[priority, pri] :
         {std::pair{LogPriority::Info, "<14>"}, std::pair{LogPriority::Warning, "<12>"},
          std::pair{LogPriority::Error, "<11>"}}) {
        LogRecord r = record({});
        r.priority = priority;
        EXPECT_TRUE(syslogLine(r, "Jan  1 00:00:00", 1).startsWith(pri)) << pri;
    }
}

class SocketLog : public testing::Test
{
protected:
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    SocketSystemLog log() const
    {
        return SocketSystemLog(path("journal").toStdString(), path("log").toStdString());
    }
    QTemporaryDir dir;
};

TEST_F(SocketLog, TheJournalWhenItListens)
{
    TestSocket journal(path("journal"), SOCK_DGRAM);
    TestSocket syslog(path("log"), SOCK_DGRAM);
    ASSERT_TRUE(journal.ok && syslog.ok);
    const LogRecord r = record({{"DAYPANE_ACTION", "shown"}});
    EXPECT_EQ(log().write(r), SystemLog::Sink::Journal);
    EXPECT_EQ(journal.take(), journalDatagram(r));
    EXPECT_EQ(syslog.take(), QByteArray());
}

TEST_F(SocketLog, OneSyslogLineWhenNoJournalListens)
{
    for (const int type : {SOCK_DGRAM, SOCK_STREAM}) {
        QFile::remove(path("log"));
        TestSocket syslog(path("log"), type);
        ASSERT_TRUE(syslog.ok);
        EXPECT_EQ(log().write(record({{"DAYPANE_ACTION", "shown"}})), SystemLog::Sink::Syslog);
        QByteArray line = syslog.take();
        if (type == SOCK_STREAM) {
            ASSERT_TRUE(line.endsWith('\0')) << "a stream carries the line and a NUL";
            line.chop(1);
        }
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral(R"(^<12>[A-Z][a-z]{2} [ 1-3]\d \d\d:\d\d:\d\d )"
                                              R"(ldpn\[%1\]: Page shown DAYPANE_ACTION="shown"$)")
                                   .arg(::getpid()))
                .match(QString::fromUtf8(line))
                .hasMatch())
            << line.toStdString();
    }
}

TEST_F(SocketLog, NothingAndNoWaitWhereNeitherTakesTheRecord)
{
    EXPECT_EQ(log().write(record({})), SystemLog::Sink::None);
    // A journal that never reads: once its queue is full, records are dropped, never waited on.
    TestSocket journal(path("journal"), SOCK_DGRAM);
    ASSERT_TRUE(journal.ok);
    const LogRecord big = record({{"DAYPANE_URL", QByteArray(kMaxLogValueBytes, 'u')}});
    bool dropped = false;
    for (int i = 0; i < 5000 && !dropped; ++i)
        dropped = log().write(big) == SystemLog::Sink::None;
    EXPECT_TRUE(dropped);
}

} // namespace
