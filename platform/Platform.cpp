#include "Platform.h"

#include <QDebug>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcPlatform, "kwil.platform")

namespace platform {

QRect Screens::workAreaFor(const QRect& r) const
{
    const QList<QRect> areas = workAreas();
    if (areas.isEmpty())
        return primaryWorkArea();
    QRect best;
    qint64 bestOverlap = -1;
    for (const QRect& a : areas) {
        const QRect i = a.intersected(r);
        const qint64 overlap = i.isEmpty() ? 0 : qint64(i.width()) * i.height();
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            best = a;
        }
    }
    if (bestOverlap > 0)
        return best;
    // On no screen: the one whose area is closest to the rectangle's centre.
    const QPoint c = r.center();
    qint64 bestDist = -1;
    for (const QRect& a : areas) {
        const int dx = c.x() < a.left()    ? a.left() - c.x()
                       : c.x() > a.right() ? c.x() - a.right()
                                           : 0;
        const int dy = c.y() < a.top()      ? a.top() - c.y()
                       : c.y() > a.bottom() ? c.y() - a.bottom()
                                            : 0;
        const qint64 d = qint64(dx) * dx + qint64(dy) * dy;
        if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            best = a;
        }
    }
    return best;
}

TDateTime SystemClock::now() const
{
    return TDateTime::fromQDateTime(QDateTime::currentDateTime());
}

namespace {

class LogMessages : public Messages
{
public:
    void showMessage(const QString& text) override { qCInfo(lcPlatform).noquote() << text; }
    void showError(const QString& text) override { qCWarning(lcPlatform).noquote() << text; }
    bool confirm(const QString& text) override
    {
        qCWarning(lcPlatform).noquote() << "unanswered confirmation:" << text;
        return false;
    }
};

class FixedScreens : public Screens
{
public:
    QRect primaryWorkArea() const override { return QRect(0, 0, 1280, 1024); }
    QList<QRect> workAreas() const override { return {primaryWorkArea()}; }
};

class MemoryClipboard : public Clipboard
{
public:
    QString text() const override { return FText; }
    void setText(const QString& text) override { FText = text; }

private:
    QString FText;
};

class NoShell : public Shell
{
public:
    bool open(const QString& address) override
    {
        qCInfo(lcPlatform).noquote() << "open:" << address;
        return false;
    }
};

class NoSound : public Sound
{
public:
    void beep() override {}
};

class NoPicker : public Picker
{
public:
    int pick(const QString& caption, const QStringList& lines, int preselected) override
    {
        Q_UNUSED(preselected)
        qCWarning(lcPlatform).noquote()
            << "unanswered pick:" << caption << lines.join(QStringLiteral(" / "));
        return -1;
    }
};

Services& current()
{
    static LogMessages messages;
    static SystemClock clock;
    static FixedScreens screens;
    static MemoryClipboard clipboard;
    static NoShell shell;
    static NoSound sound;
    static NoPicker picker;
    static Services s{&messages, &clock, &screens, &clipboard, &shell, &sound, &picker};
    return s;
}

} // namespace

Services& services()
{
    return current();
}

Services install(const Services& s)
{
    Services& c = current();
    const Services before = c;
    if (s.messages)
        c.messages = s.messages;
    if (s.clock)
        c.clock = s.clock;
    if (s.screens)
        c.screens = s.screens;
    if (s.clipboard)
        c.clipboard = s.clipboard;
    if (s.shell)
        c.shell = s.shell;
    if (s.sound)
        c.sound = s.sound;
    if (s.picker)
        c.picker = s.picker;
    return before;
}

} // namespace platform
