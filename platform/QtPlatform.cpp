#include "QtPlatform.h"

#include "PickDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

namespace platform {

namespace {
QString appTitle()
{
    return QGuiApplication::applicationDisplayName();
}
} // namespace

void QtMessages::showMessage(const QString& text)
{
    QMessageBox::information(nullptr, appTitle(), text);
}

void QtMessages::showError(const QString& text)
{
    QMessageBox::critical(nullptr, appTitle(), text);
}

bool QtMessages::confirm(const QString& text)
{
    return QMessageBox::question(nullptr, appTitle(), text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Cancel) == QMessageBox::Ok;
}

QRect QtScreens::primaryWorkArea() const
{
    if (QScreen* s = QGuiApplication::primaryScreen())
        return s->availableGeometry();
    return QRect(0, 0, 1280, 1024);
}

QList<QRect> QtScreens::workAreas() const
{
    QList<QRect> out;
    out << primaryWorkArea();
    for (QScreen* s : QGuiApplication::screens())
        if (s != QGuiApplication::primaryScreen())
            out << s->availableGeometry();
    return out;
}

QString QtClipboard::text() const
{
    return QGuiApplication::clipboard()->text();
}

void QtClipboard::setText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

bool QtShell::open(const QString& address)
{
    QUrl url = QUrl::fromUserInput(address);
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}

void QtSound::beep()
{
    QApplication::beep();
}

int QtPicker::pick(const QString& caption, const QStringList& lines, int preselected)
{
    TPickDialog dlg;
    dlg.setCaption(caption);
    for (int i = 0; i < lines.size(); ++i)
        dlg.addLine(lines.at(i), i);
    dlg.setPreselected(preselected);
    return dlg.execPick();
}

void installDesktopServices()
{
    static QtMessages messages;
    static QtScreens screens;
    static QtClipboard clipboard;
    static QtShell shell;
    static QtSound sound;
    static QtPicker picker;
    Services s;
    s.messages = &messages;
    s.screens = &screens;
    s.clipboard = &clipboard;
    s.shell = &shell;
    s.sound = &sound;
    s.picker = &picker;
    install(s);
}

} // namespace platform
