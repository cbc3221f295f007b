#include "app/modQuarnIniAPI.h"

#include "platform/Cp1252.h"
#include "platform/FileNames.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

#include <algorithm>
#include <optional>

namespace modQuarnIniAPI {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

QByteArrayView Trimmed(QByteArrayView s)
{
    while (!s.isEmpty() && IsBlank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && IsBlank(s.back()))
        s.chop(1);
    return s;
}

char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// Names compare as the game takes file names (FileNames::SameName), a character at a time: a key
// can be a car's folder name. Every Windows-1252 character is one character of text and folding
// keeps a name's length, so names of different lengths never match. Most names are plain ASCII,
// which needs no decoding.
bool SameName(QByteArrayView stored, const QString& wanted)
{
    if (stored.size() != wanted.size())
        return false;
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const char16_t w = wanted[i].unicode();
        if (uchar(stored[i]) >= 0x80 || w >= 0x80)
            return FileNames::SameName(Cp1252::ToUnicode(stored), wanted);
        if (AsciiLower(stored[i]) != AsciiLower(char(w)))
            return false;
    }
    return true;
}

bool SameNames(QByteArrayView a, QByteArrayView b)
{
    return SameName(a, Cp1252::ToUnicode(b));
}

using TextLines::Line;

// The section name of a section line, or nothing for any other line.
std::optional<QByteArrayView> SectionName(QByteArrayView text)
{
    if (!text.startsWith('['))
        return std::nullopt;
    QByteArrayView inner = text.sliced(1);
    const qsizetype close = inner.lastIndexOf(']');
    if (close >= 0)
        inner.truncate(close);
    return Trimmed(inner);
}

struct Entry
{
    QByteArrayView key;
    QByteArrayView value;
};

std::optional<Entry> EntryOf(QByteArrayView text)
{
    const qsizetype eq = text.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return Entry{Trimmed(text.first(eq)), Trimmed(text.sliced(eq + 1))};
}

// Where a section and a key stand in a parsed file.
struct Place
{
    int sectionLine = -1;   // the first matching section's header line
    int lastEntryLine = -1; // its last entry line, or its header line when it has none
    int keyLine = -1;       // the first matching key in that section
    Entry entry;
};

Place Locate(const QByteArray& bytes, const QList<Line>& lines, const QString& section,
             const QString& key)
{
    Place place;
    bool inSection = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QByteArrayView text = Trimmed(
            QByteArrayView(bytes).sliced(lines[i].begin, lines[i].contentEnd - lines[i].begin));
        if (const auto name = SectionName(text)) {
            if (inSection)
                break;
            if (SameName(*name, section)) {
                inSection = true;
                place.sectionLine = place.lastEntryLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (const auto entry = EntryOf(text)) {
            place.lastEntryLine = i;
            if (place.keyLine < 0 && SameName(entry->key, key)) {
                place.keyLine = i;
                place.entry = *entry;
            }
        }
    }
    return place;
}

QByteArrayView Unquoted(QByteArrayView value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.sliced(1, value.size() - 2);
    return value;
}

QByteArrayView WithoutLeadingBlanks(QByteArrayView s)
{
    while (!s.isEmpty() && IsBlank(s.front()))
        s = s.sliced(1);
    return s;
}

Result Fail(const QString& file, const QString& reason)
{
    return Result::Failure(
        QStringLiteral("Cannot write %1:\n%2.").arg(FileSystem::ForMessage(file), reason));
}

} // namespace

Profile Profile::Parse(const QByteArray& bytes)
{
    Profile profile;
    profile.mBytes = bytes;
    Section* section = nullptr; // null before the first section and in a later twin section
    for (const Line& line : TextLines::Split(profile.mBytes)) {
        const QByteArrayView text = Trimmed(
            QByteArrayView(profile.mBytes).sliced(line.begin, line.contentEnd - line.begin));
        if (const auto name = SectionName(text)) {
            const bool twin =
                std::any_of(profile.mSections.cbegin(), profile.mSections.cend(),
                            [&](const Section& earlier) { return SameNames(earlier.name, *name); });
            section = twin ? nullptr : &profile.mSections.emplace_back(Section{*name, {}, {}});
            continue;
        }
        if (!section)
            continue;
        if (const auto entry = EntryOf(text))
            section->entries.append({entry->key, Unquoted(entry->value)});
    }
    return profile;
}

Profile Profile::Load(const QString& file)
{
    // Only a plain file is read: a FIFO of that name would block, and reads as missing.
    const ResultOf<QByteArray> bytes = FileSystem::ReadPlainFile(file);
    return bytes ? Parse(*bytes) : Profile();
}

const Profile::Entry* Profile::find(const QString& section, const QString& key) const
{
    constexpr qsizetype kIndexFrom = 16;
    for (const Section& s : mSections) {
        if (!SameName(s.name, section))
            continue;
        if (s.entries.size() < kIndexFrom) {
            for (const Entry& entry : s.entries) {
                if (SameName(entry.key, key))
                    return &entry;
            }
            return nullptr;
        }
        if (!s.index) {
            s.index = std::make_shared<QHash<QString, qsizetype>>();
            for (qsizetype i = s.entries.size() - 1; i >= 0; --i)
                s.index->insert(FileNames::NameKey(Cp1252::ToUnicode(s.entries[i].key)), i);
        }
        const auto found = s.index->constFind(FileNames::NameKey(key));
        return found == s.index->constEnd() ? nullptr : &s.entries[*found];
    }
    return nullptr;
}

QString Profile::value(const QString& section, const QString& key,
                       const QString& defaultValue) const
{
    const Entry* entry = find(section, key);
    return entry ? Cp1252::ToUnicode(entry->value) : defaultValue;
}

std::optional<QByteArray> Profile::bytes(const QString& section, const QString& key) const
{
    const Entry* entry = find(section, key);
    return entry ? std::optional<QByteArray>(entry->value.toByteArray()) : std::nullopt;
}

QByteArrayView Profile::view(const QString& section, const QString& key) const
{
    const Entry* entry = find(section, key);
    return entry ? entry->value : QByteArrayView();
}

QString ReadProfileString(const QString& section, const QString& key, const QString& defaultValue,
                          const QString& file)
{
    return Profile::Load(file).value(section, key, defaultValue);
}

Result WriteProfileString(const QString& section, const QString& key, const QString& value,
                          const QString& file)
{
    return WriteProfileBytes(section, key, Cp1252::FromUnicode(value), file);
}

Result WriteProfileBytes(const QString& section, const QString& key, const QByteArray& value,
                         const QString& file)
{
    return WriteProfileEntries({{section, key, value}}, file);
}

namespace {

bool HoldsLineBreak(QStringView text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// The file's bytes with one entry replaced where it stands, or added (and its section).
QByteArray WithEntry(const QByteArray& bytes, const ProfileEntry& entry)
{
    const QList<Line> lines = TextLines::Split(bytes);
    const Place place = Locate(bytes, lines, entry.section, entry.key);
    const QByteArray newValue = WithoutLeadingBlanks(entry.value).toByteArray();
    static const QByteArray crlf("\r\n");

    QByteArray updated = bytes;
    if (place.keyLine >= 0) {
        if (place.entry.value == newValue)
            return bytes;
        const Line& line = lines[place.keyLine];
        updated.replace(line.begin, line.end - line.begin,
                        place.entry.key.toByteArray() + '=' + newValue + crlf);
    } else if (place.sectionLine >= 0) {
        const Line& after = lines[place.lastEntryLine];
        const QByteArray line = Cp1252::FromUnicode(entry.key) + '=' + newValue + crlf;
        updated.insert(after.end, after.end == after.contentEnd ? crlf + line : line);
    } else {
        if (!lines.isEmpty() && lines.last().end == lines.last().contentEnd)
            updated += crlf;
        updated += '[' + Cp1252::FromUnicode(entry.section) + ']' + crlf;
        updated += Cp1252::FromUnicode(entry.key) + '=' + newValue + crlf;
    }
    return updated;
}

} // namespace

Result WriteProfileEntries(const QList<ProfileEntry>& entries, const QString& file)
{
    for (const ProfileEntry& entry : entries) {
        if (HoldsLineBreak(entry.section) || HoldsLineBreak(entry.key) ||
            entry.value.contains('\r') || entry.value.contains('\n'))
            return Fail(file, QStringLiteral("an entry cannot hold a line break"));
    }

    // Read, changed and replaced as one, while another instance saving the same file waits.
    const FileSystem::FolderLock lock(file);
    if (const Result held = lock.held(); !held.ok)
        return Fail(file, held.message);

    // A link of that name is read through but replaced by a plain file: what it points at,
    // perhaps outside the folder, is never written.
    const FileSystem::Status status = FileSystem::StatusOf(file);
    QByteArray bytes;
    if (status.exists && (status.plainFile || !status.link)) {
        ResultOf<QByteArray> current = FileSystem::ReadPlainFile(file);
        if (!current)
            return Fail(file, current.message);
        bytes = std::move(*current);
    }
    QByteArray updated = bytes;
    for (const ProfileEntry& entry : entries)
        updated = WithEntry(updated, entry);
    if (status.exists && updated == bytes)
        return Result::Success();

    const Result replaced = FileSystem::ReplaceFile(file, updated);
    if (!replaced.success())
        return Fail(file, replaced.message);
    return replaced;
}

QByteArray TextBytes(const QString& text)
{
    const QByteArray cp1252 = Cp1252::FromUnicode(text);
    if (Cp1252::CanEncode(text) && (Cp1252::IsAscii(cp1252) || !FileSystem::IsUtf8(cp1252)))
        return cp1252;
    return text.toUtf8();
}

QString TextOf(QByteArrayView bytes)
{
    return FileSystem::IsUtf8(bytes) ? QString::fromUtf8(bytes) : Cp1252::ToUnicode(bytes);
}

} // namespace modQuarnIniAPI
