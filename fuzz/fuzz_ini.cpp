// Profile-file text: what the writer stores, the reader gives back, and nothing else moves.

#include <fuzzer/FuzzedDataProvider.h>

#include <QStringList>
#include <cstdint>
#include <utility>
#include <vector>

#include "config/ini_text.h"
#include "fuzz_check.h"

namespace {

QString utf8(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QStringList lines_of(const QString& content) {
    QString normalized = content;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = normalized.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    // CRs ending the last line lose one to the CR LF written after them once a line follows;
    // the reader trims them anyway.
    for (QString& line : lines) {
        while (line.endsWith(u'\r')) line.chop(1);
    }
    return lines;
}

bool same_name(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// A value as the reader returns it: trimmed, one pair of surrounding double quotes removed.
QString as_read(const QString& value) {
    QString v = value.trimmed();
    if (v.size() >= 2 && v.startsWith(u'"') && v.endsWith(u'"')) v = v.mid(1, v.size() - 2);
    return v;
}

bool storable(const QString& section, const QString& key, const QString& value) {
    for (const QString& s : {section, key, value}) {
        if (s.contains(u'\r') || s.contains(u'\n')) return false;
    }
    const QString k = key.trimmed();
    return !section.trimmed().isEmpty() && !k.isEmpty() && !key.contains(u'=') &&
           !section.contains(u']') && !k.startsWith(u';') && !k.startsWith(u'[');
}

// Every section and key name the content shows, as candidates for lookups.
struct Names {
    QStringList sections;
    QStringList keys;
};

Names names_in(const QString& content) {
    Names names;
    for (const QString& line : lines_of(content)) {
        const QString t = line.trimmed();
        if (t.startsWith(u'[')) {
            if (const qsizetype close = t.indexOf(u']'); close > 0 && names.sections.size() < 8) {
                names.sections << t.mid(1, close - 1);
            }
        } else if (const qsizetype eq = t.indexOf(u'='); eq >= 0 && names.keys.size() < 8) {
            names.keys << t.left(eq);
        }
    }
    return names;
}

using Lookup = std::pair<QString, QString>;  // section, key

// Every lookup but the one written reads the same before and after.
void check_others_unchanged(const QString& before, const QString& after, const Lookup& written,
                            const std::vector<Lookup>& lookups) {
    for (const auto& [section, key] : lookups) {
        if (same_name(section, written.first) && same_name(key, written.second)) continue;
        FUZZ_CHECK(ini_lookup(after, section, key) == ini_lookup(before, section, key),
                   shown(before) + QStringLiteral(" -> ") + shown(after) + QStringLiteral(" at ") +
                       shown(section) + u'/' + shown(key));
    }
}

// The result is the content with one line replaced, one entry added to its section, or a new
// section with its entry at the end.
void check_lines_kept(const QString& before, const QString& after, const QString& entry,
                      const QString& header) {
    QStringList old_lines = lines_of(before);
    QStringList new_lines = lines_of(after);
    const QString context = shown(before) + QStringLiteral(" -> ") + shown(after);
    const qsizetype added = new_lines.size() - old_lines.size();
    FUZZ_CHECK(added >= 0 && added <= 2, context);
    if (added == 2) {
        FUZZ_CHECK(new_lines.mid(new_lines.size() - 2) == (QStringList{header, entry}), context);
        new_lines.resize(new_lines.size() - 2);
        FUZZ_CHECK(new_lines == old_lines, context);
        return;
    }
    if (added == 0 && new_lines == old_lines) {
        FUZZ_CHECK(new_lines.contains(entry), context);  // the key already read so
        return;
    }
    qsizetype differ = 0;
    while (differ < old_lines.size() && old_lines[differ] == new_lines[differ]) ++differ;
    FUZZ_CHECK(differ < new_lines.size() && new_lines[differ] == entry, context);
    new_lines.removeAt(differ);
    if (added == 0) old_lines.removeAt(differ);
    FUZZ_CHECK(new_lines == old_lines, context);
}

QString pick_name(FuzzedDataProvider& in, const QStringList& seen) {
    if (!seen.isEmpty() && in.ConsumeBool()) {
        return seen.at(in.ConsumeIntegralInRange<qsizetype>(0, seen.size() - 1));
    }
    return utf8(in.ConsumeRandomLengthString(24));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    QString content = utf8(in.ConsumeRandomLengthString(2048));
    const Names names = names_in(content);

    std::vector<Lookup> lookups;
    for (const QString& section : names.sections) {
        for (const QString& key : names.keys) lookups.emplace_back(section, key);
    }

    // Two writes in a row; the second must keep the first.
    std::vector<std::pair<Lookup, QString>> stored;
    for (int round = 0; round < 2 && in.remaining_bytes() > 0; ++round) {
        const QString section = pick_name(in, names.sections);
        const QString key = pick_name(in, names.keys);
        const QString value = utf8(in.ConsumeRandomLengthString(48));
        lookups.emplace_back(section, key);
        const QString context =
            shown(content) + u' ' + shown(section) + u'/' + shown(key) + u'=' + shown(value);

        const auto updated = ini_update(content, section, key, value);
        FUZZ_CHECK(updated.has_value() == storable(section, key, value), context);
        if (!updated) continue;
        FUZZ_CHECK(ini_lookup(*updated, section, key) == as_read(value),
                   context + QStringLiteral(" -> ") + shown(*updated));
        check_others_unchanged(content, *updated, {section, key}, lookups);
        check_lines_kept(content, *updated, key + u'=' + value, u'[' + section + u']');
        stored.push_back({{section, key}, value});
        content = *updated;
    }
    if (stored.size() == 2 && !(same_name(stored[0].first.first, stored[1].first.first) &&
                                same_name(stored[0].first.second, stored[1].first.second))) {
        const auto& [first, value] = stored[0];
        FUZZ_CHECK(ini_lookup(content, first.first, first.second) == as_read(value),
                   shown(content));
    }
    return 0;
}
