#include "platform/systemlog.h"

namespace platform {
namespace {

QByteArray bounded(const QByteArray &value)
{
    if (value.size() <= kMaxLogValueBytes)
        return value;
    static const QByteArray mark = QByteArrayLiteral("...");
    qsizetype cut = kMaxLogValueBytes - mark.size();
    // Never inside a UTF-8 sequence: back up over its continuation bytes.
    while (cut > 0 && (quint8(value.at(cut)) & 0xC0) == 0x80)
        --cut;
    return value.left(cut) + mark;
}

// What the journal accepts from a client: capitals, digits and '_', not first, at most 64.
bool acceptedName(const QByteArray &name)
{
    if (name.isEmpty() || name.size() > 64 || name.at(0) == '_' ||
        (name.at(0) >= '0' && name.at(0) <= '9'))
        return false;
    for (const char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    // These the record sets itself; a second value would make the field ambiguous.
    return name != "MESSAGE" && name != "PRIORITY" && name != "SYSLOG_IDENTIFIER";
}

void appendJournalField(QByteArray &out, const QByteArray &name, const QByteArray &rawValue)
{
    const QByteArray value = bounded(rawValue);
    out += name;
    if (!value.contains('\n') && !value.contains('\0')) {
        out += '=';
        out += value;
        out += '\n';
        return;
    }
    // The binary-safe form: the name, a newline, the length as 64-bit little-endian, the value.
    out += '\n';
    quint64 size = quint64(value.size());
    for (int i = 0; i < 8; ++i, size >>= 8)
        out += char(size & 0xFF);
    out += value;
    out += '\n';
}

QByteArray escaped(const QByteArray &rawValue)
{
    const QByteArray value = bounded(rawValue);
    QByteArray out;
    out.reserve(value.size());
    for (const char c : value) {
        const auto u = quint8(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7F) {
            static const char hex[] = "0123456789abcdef";
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

QByteArray tag(const QByteArray &identifier)
{
    QByteArray out;
    for (const char c : identifier.left(32))
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.')
            out += c;
    return out;
}

} // namespace

QByteArray journalDatagram(const LogRecord &record)
{
    QByteArray out;
    appendJournalField(out, "MESSAGE", record.message);
    appendJournalField(out, "PRIORITY", QByteArray::number(int(record.priority)));
    appendJournalField(out, "SYSLOG_IDENTIFIER", record.identifier);
    for (const LogField &f : record.fields)
        if (acceptedName(f.name))
            appendJournalField(out, f.name, f.value);
    return out;
}

QByteArray syslogLine(const LogRecord &record, const QByteArray &timestamp, long pid)
{
    constexpr int kFacilityUser = 1;
    QByteArray out = '<' + QByteArray::number(kFacilityUser * 8 + int(record.priority)) + '>' +
                     timestamp + ' ' + tag(record.identifier) + '[' + QByteArray::number(pid) +
                     "]: " + escaped(record.message);
    for (const LogField &f : record.fields)
        if (acceptedName(f.name))
            out += ' ' + f.name + "=\"" + escaped(f.value) + '"';
    return out;
}

} // namespace platform
