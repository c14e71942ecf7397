#pragma once

#include "app/Settings.h"
#include "db/DBModFusen.h"
#include "platform/IniFile.h"
#include "types/FusenGroup.h"
#include "types/GroupIcons.h"
#include "types/OptionsHost.h"
#include "types/TypeList.h"

#include <QAbstractButton>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <stdexcept>

// The main window as the options dialog and the group filter see it: real
// type and group lists over the test's database, and a record of the calls.
class TestOptionsHost : public TOptionsHost
{
public:
    TestOptionsHost(TdbmNotes& db, const QString& folder) : FDb(db), FGroups(db), FFolder(folder)
    {
        FGroups.Load();
        FTypes.Reload(db);
        BuildMenu();
        FTimer.setInterval(60000);
    }

    TSettings& settings() override { return FSettings; }
    TdbmBase& db() override { return FDb; }
    TFusenGroup& groups() override { return FGroups; }
    const TGroupIcons& groupIcons() override { return FIcons; }
    QTimer& timer() override { return FTimer; }
    void ReloadTypeList() override
    {
        calls << QStringLiteral("ReloadTypeList");
        FTypes.Reload(FDb);
    }
    void ReloadGroupList() override
    {
        calls << QStringLiteral("ReloadGroupList");
        FGroups.Load();
    }
    void CloseAllNotes() override
    {
        calls << QStringLiteral("CloseAllNotes");
        if (failCloseAllNotes)
            throw std::runtime_error("notes could not be closed");
    }
    void LoadDesktopNotes(bool arrange, bool beep) override
    {
        calls << QStringLiteral("LoadDesktopNotes(%1,%2)").arg(arrange).arg(beep);
    }
    void BuildNewNoteMenu() override
    {
        calls << QStringLiteral("BuildNewNoteMenu");
        BuildMenu();
    }
    bool SaveIniSettings(QString* error) override
    {
        calls << QStringLiteral("SaveIniSettings");
        if (failSave) {
            if (error)
                *error = QStringLiteral("disk full");
            return false;
        }
        TIniFile ini(iniFile());
        FSettings.write(ini);
        return ini.save(error);
    }
    QString programFile() override { return FFolder + QStringLiteral("/kwil"); }

    QString iniFile() const { return FFolder + QStringLiteral("/Kwil.ini"); }
    // The settings as the file holds them now.
    TSettings savedSettings() const
    {
        TSettings s;
        s.read(TIniFile(iniFile()));
        return s;
    }
    const TTypeList& types() const { return FTypes; }
    bool hasGroup(const QString& label) const
    {
        for (int i = 0; i < FGroups.Count(); ++i)
            if (FGroups.Items(i).LABEL == label)
                return true;
        return false;
    }

    QStringList calls;
    QStringList newNoteMenu; // the type labels as the menu was last built
    bool failSave = false;
    bool failCloseAllNotes = false;

private:
    void BuildMenu()
    {
        newNoteMenu.clear();
        for (const TTypeEntry& t : FTypes.items())
            newNoteMenu << t.LABEL;
    }

    TdbmNotes& FDb;
    TFusenGroup FGroups;
    TTypeList FTypes;
    TGroupIcons FIcons;
    QTimer FTimer;
    TSettings FSettings;
    QString FFolder;
};

// Every caption on page shows in full inside it and no two of its controls
// overlap. Composite controls (spin boxes, combo boxes, grids) count as one.
inline void checkLayout(QWidget& page)
{
    QList<QWidget*> controls;
    for (QWidget* w : page.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&page))
            continue;
        bool inner = false;
        for (QWidget* p = w->parentWidget(); p && p != &page; p = p->parentWidget())
            if (!qobject_cast<QGroupBox*>(p))
                inner = true;
        if (inner)
            continue;
        controls << w;
    }
    QVERIFY(!controls.isEmpty());
    const QRect inside = page.rect();
    auto rectOf = [&](QWidget* w) { return QRect(w->mapTo(&page, QPoint(0, 0)), w->size()); };
    auto nameOf = [](QWidget* w) {
        QString name = w->objectName();
        if (auto* label = qobject_cast<QLabel*>(w); label && name.isEmpty())
            name = label->text();
        return name.isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : name;
    };
    for (QWidget* w : controls) {
        const QString name = nameOf(w);
        QVERIFY2(inside.contains(rectOf(w)), qPrintable(name));
        QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(name));
        QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(name));
        if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
            qobject_cast<QSpinBox*>(w))
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(name));
        // A frame's title needs its width too.
        if (auto* box = qobject_cast<QGroupBox*>(w))
            QVERIFY2(box->width() >= box->minimumSizeHint().width(), qPrintable(name));
    }
    for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
            QWidget* a = controls[i];
            QWidget* b = controls[j];
            if (a->isAncestorOf(b) || b->isAncestorOf(a))
                continue;
            QVERIFY2(!rectOf(a).intersects(rectOf(b)),
                     qPrintable(nameOf(a) + QLatin1Char('/') + nameOf(b)));
        }
    }
}

// Saves w as a picture when KWIL_SHOTS names a folder.
inline void saveShot(QWidget& w, const QString& name)
{
    const QString shots = qEnvironmentVariable("KWIL_SHOTS");
    if (shots.isEmpty())
        return;
    QDir().mkpath(shots);
    QVERIFY(w.grab().save(QDir(shots).filePath(name)));
}
