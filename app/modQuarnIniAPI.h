#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

// Single entries of profile (INI) files, read and written as the game's platform does, on
// the file's own bytes in Windows-1252.
namespace modQuarnIniAPI {

// A profile file read whole, for several look-ups with the rules of ReadProfileString.
class Profile
{
public:
    // A missing or unreadable file gives an empty profile.
    static Profile Load(const QString& file);
    static Profile Parse(const QByteArray& bytes);

    QString value(const QString& section, const QString& key,
                  const QString& defaultValue = QString()) const;
    // The entry's own bytes, unquoted; nothing when the section or the key is missing.
    std::optional<QByteArray> bytes(const QString& section, const QString& key) const;
    // The same bytes without a copy, valid while the profile lives; empty when missing.
    QByteArrayView view(const QString& section, const QString& key) const;

private:
    struct Entry
    {
        QByteArrayView key;
        QByteArrayView value; // unquoted
    };
    struct Section
    {
        QByteArrayView name;
        QList<Entry> entries;
        // Built on the first look-up in a long section (the settings file's tables), so that
        // each car's look-up does not walk the whole table.
        mutable std::shared_ptr<QHash<QString, qsizetype>> index;
    };

    const Entry* find(const QString& section, const QString& key) const;

    QByteArray mBytes;        // what the views point into; never changed
    QList<Section> mSections; // the first of each name only
};

// The entry's value, or defaultValue when the file, the section or the key is missing.
// Section and key names match ignoring case; the first matching section, and in it the first
// matching key, win. The file is read at each call: to look up many entries, load a Profile.
QString ReadProfileString(const QString& section, const QString& key,
                          const QString& defaultValue = QString(),
                          const QString& file = QStringLiteral("win.ini"));

// Replaces the entry where it stands, or adds it (and its section) as needed; every other
// byte of the file stays as it was, and the file is replaced whole or not at all. A link of
// the file's name is replaced by a plain file. A failure when the file could not be written, or
// a text holds a line break; its message names the file and the reason.
Result WriteProfileString(const QString& section, const QString& key, const QString& value,
                          const QString& file);
Result WriteProfileBytes(const QString& section, const QString& key, const QByteArray& value,
                         const QString& file);

// The program's own files (torvane.ini, carinfo.ini) keep a text in Windows-1252 where the
// code page holds it, byte for byte as the game's platform writes it, and in UTF-8 where it
// cannot, so that nothing typed is lost. Read back, a value that is valid UTF-8 beyond ASCII
// is UTF-8 and any other Windows-1252; a Windows-1252 text whose bytes would read as UTF-8 is
// therefore written as UTF-8 too.
QByteArray TextBytes(const QString& text);
QString TextOf(QByteArrayView bytes);

struct ProfileEntry
{
    QString section;
    QString key;
    QByteArray value; // the file's own bytes
};
// Several entries written as WriteProfileBytes writes one, in one replace of the file, under
// a lock on its folder: two instances saving at once leave the file with one's entries whole.
Result WriteProfileEntries(const QList<ProfileEntry>& entries, const QString& file);

} // namespace modQuarnIniAPI
