#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// Profile file in the INI format. Sections and keys are matched without regard
// to case, as the settings files of this program always were. The whole file is
// held in memory with its original order, so sections, keys and comment lines
// the program does not know survive a save untouched.
//
// Files are UTF-8. A file that is not valid UTF-8 was written in the locale's
// legacy encoding and is decoded with it, so an older file loses nothing.
class TIniFile
{
public:
    explicit TIniFile(QString fileName);

    const QString& fileName() const { return FFileName; }
    bool exists() const;

    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    // Writes the file atomically; false with a reason when it cannot.
    bool save(QString* error = nullptr) const;
    // Re-reads the file from disk, discarding unsaved changes.
    void reload();

    // The text that save() would write; for tests and diagnostics.
    QByteArray serialize() const;
    void parse(const QByteArray& bytes);

private:
    struct Entry
    {
        QString key;   // empty for a line that is not key=value (comment, blank, garbage)
        QString value; // the value, or the raw line when key is empty
    };
    struct Section
    {
        QString name; // empty for lines before the first section header
        std::vector<Entry> entries;
    };
    const Section* findSection(const QString& name) const;
    Section& sectionFor(const QString& name);
    const Entry* findEntry(const QString& section, const QString& key) const;

    QString FFileName;
    std::vector<Section> FSections;
};
