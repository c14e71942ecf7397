#include "IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

TIniFile::TIniFile(QString fileName) : FFileName(std::move(fileName))
{
    reload();
}

bool TIniFile::exists() const
{
    return QFile::exists(FFileName);
}

void TIniFile::reload()
{
    FSections.clear();
    QFile f(FFileName);
    if (f.open(QIODevice::ReadOnly))
        parse(f.readAll());
}

void TIniFile::parse(const QByteArray& bytes)
{
    FSections.clear();
    QString text;
    {
        QStringDecoder utf8(QStringDecoder::Utf8);
        text = utf8.decode(bytes);
        if (utf8.hasError()) {
            // The locale's legacy encoding; where the locale itself is UTF-8,
            // Latin-1 at least maps every byte to a character and loses none.
            QStringDecoder local(QStringDecoder::System);
            text = local.decode(bytes);
            if (local.hasError() ||
                QStringDecoder(QStringDecoder::System).name() == QLatin1String("UTF-8"))
                text = QString::fromLatin1(bytes);
        }
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    FSections.push_back(Section{});
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (i == lines.size() - 1 && line.isEmpty())
            break; // the final line break
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u'[')) {
            const int close = trimmed.indexOf(u']');
            if (close > 0) {
                FSections.push_back(Section{trimmed.mid(1, close - 1).trimmed(), {}});
                continue;
            }
        }
        const int eq = line.indexOf(u'=');
        if (eq > 0 && !trimmed.startsWith(u';') && !line.left(eq).trimmed().isEmpty()) {
            FSections.back().entries.push_back(
                Entry{line.left(eq).trimmed(), line.mid(eq + 1).trimmed()});
        } else {
            FSections.back().entries.push_back(Entry{QString(), line});
        }
    }
}

QByteArray TIniFile::serialize() const
{
    QString out;
    for (const Section& s : FSections) {
        if (!s.name.isEmpty() || &s != &FSections.front())
            out += QLatin1Char('[') + s.name + QLatin1String("]\n");
        for (const Entry& e : s.entries)
            out += e.key.isEmpty() ? e.value + u'\n' : e.key + u'=' + e.value + u'\n';
    }
    return out.toUtf8();
}

bool TIniFile::save(QString* error) const
{
    QSaveFile f(FFileName);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    f.write(serialize());
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

const TIniFile::Section* TIniFile::findSection(const QString& name) const
{
    for (const Section& s : FSections)
        if (!s.name.isEmpty() && s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

TIniFile::Section& TIniFile::sectionFor(const QString& name)
{
    for (Section& s : FSections)
        if (!s.name.isEmpty() && s.name.compare(name, Qt::CaseInsensitive) == 0)
            return s;
    if (FSections.empty())
        FSections.push_back(Section{});
    // keep a blank line between sections, as hand-edited files usually do
    Section& last = FSections.back();
    if (!last.entries.empty() &&
        !(last.entries.back().key.isEmpty() && last.entries.back().value.trimmed().isEmpty()))
        last.entries.push_back(Entry{QString(), QString()});
    FSections.push_back(Section{name, {}});
    return FSections.back();
}

const TIniFile::Entry* TIniFile::findEntry(const QString& section, const QString& key) const
{
    const Section* s = findSection(section);
    if (!s)
        return nullptr;
    for (const Entry& e : s->entries)
        if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

bool TIniFile::valueExists(const QString& section, const QString& key) const
{
    return findEntry(section, key) != nullptr;
}

QStringList TIniFile::sections() const
{
    QStringList out;
    for (const Section& s : FSections)
        if (!s.name.isEmpty())
            out << s.name;
    return out;
}

QStringList TIniFile::keys(const QString& section) const
{
    QStringList out;
    if (const Section* s = findSection(section))
        for (const Entry& e : s->entries)
            if (!e.key.isEmpty())
                out << e.key;
    return out;
}

QString TIniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    const Entry* e = findEntry(section, key);
    return e ? e->value : def;
}

int TIniFile::readInteger(const QString& section, const QString& key, int def) const
{
    const Entry* e = findEntry(section, key);
    if (!e)
        return def;
    QString v = e->value.trimmed();
    bool ok = false;
    int n = 0;
    // "$1F" and "0x1F" are hexadecimal in the files this program has always read
    if (v.startsWith(u'$'))
        n = v.mid(1).toInt(&ok, 16);
    else if (v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        n = v.mid(2).toInt(&ok, 16);
    else
        n = v.toInt(&ok, 10);
    return ok ? n : def;
}

bool TIniFile::readBool(const QString& section, const QString& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    Section& s = sectionFor(section);
    QString clean = value;
    clean.replace(u'\r', u' ').replace(u'\n', u' '); // a line break would split the entry
    for (Entry& e : s.entries) {
        if (!e.key.isEmpty() && e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = clean;
            return;
        }
    }
    // insert after the last key of the section, before trailing blank lines
    auto pos = s.entries.end();
    while (pos != s.entries.begin() && std::prev(pos)->key.isEmpty() &&
           std::prev(pos)->value.trimmed().isEmpty())
        --pos;
    s.entries.insert(pos, Entry{key, clean});
}

void TIniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void TIniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
