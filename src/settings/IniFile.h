#pragma once

#include <QString>

// The settings file, read and written with the rules of the Windows private-profile
// functions on every platform: section and key names in any letter case, blanks around a
// value dropped, one pair of enclosing quotes removed, an empty value kept apart from a
// missing one, values cut at 2047 characters. Nothing is cached and no handle is held:
// each call reads the file, and each write updates it at once, leaving every other byte
// of it as it was.
class IniFile {
public:
    static constexpr qsizetype MaxValueLength = 2047;

    explicit IniFile(QString path);

    // The stored value, or defaultValue when the file, the section or the key is missing.
    [[nodiscard]] QString ReadString(const QString& section, const QString& key,
                                     const QString& defaultValue) const;
    // Creates the file, the section and the key as needed; throws Failure("Unable to write to <path>").
    void WriteString(const QString& section, const QString& key, const QString& value);

    // The stored value as integer text; defaultValue when missing or not integer text.
    [[nodiscard]] int ReadInteger(const QString& section, const QString& key, int defaultValue) const;

    // Read as integer text (any non-zero number is true); written as "1" or "0".
    [[nodiscard]] bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    void WriteBool(const QString& section, const QString& key, bool value);

private:
    QString m_path;
};
