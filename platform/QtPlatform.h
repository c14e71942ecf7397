#pragma once

#include "Platform.h"

// The desktop implementations of the platform seams, on Qt widgets.
namespace platform {

class QtMessages : public Messages
{
public:
    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool confirm(const QString& text) override;
};

class QtScreens : public Screens
{
public:
    QRect primaryWorkArea() const override;
    QList<QRect> workAreas() const override;
};

class QtClipboard : public Clipboard
{
public:
    QString text() const override;
    void setText(const QString& text) override;
};

class QtShell : public Shell
{
public:
    bool open(const QString& address) override;
};

class QtSound : public Sound
{
public:
    void beep() override;
};

// The list picker as a modal TPickDialog centred on the screen.
class QtPicker : public Picker
{
public:
    int pick(const QString& caption, const QStringList& lines, int preselected) override;
};

// Installs the implementations above; call once the application object exists.
void installDesktopServices();

} // namespace platform
