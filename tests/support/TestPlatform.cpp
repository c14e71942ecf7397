#include "TestPlatform.h"

#include <QTest>

class TestMessages : public platform::Messages
{
public:
    explicit TestMessages(TestPlatform* p) : P(p) {}
    void showMessage(const QString& text) override
    {
        P->messages << text;
        P->log << QStringLiteral("message: ") + text;
    }
    void showError(const QString& text) override
    {
        P->errors << text;
        P->log << QStringLiteral("error: ") + text;
    }
    bool confirm(const QString& text) override
    {
        P->confirmations << text;
        P->log << QStringLiteral("confirm: ") + text;
        if (P->FAnswers.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected confirmation: ") + text), __FILE__,
                         __LINE__);
            return false;
        }
        return P->FAnswers.dequeue();
    }
    TestPlatform* P;
};

class TestClock : public platform::Clock
{
public:
    explicit TestClock(TestPlatform* p) : P(p) {}
    TDateTime now() const override { return P->FNow; }
    TestPlatform* P;
};

class TestScreens : public platform::Screens
{
public:
    explicit TestScreens(TestPlatform* p) : P(p) {}
    QRect primaryWorkArea() const override
    {
        return P->FAreas.isEmpty() ? QRect(0, 0, 1280, 1024) : P->FAreas.first();
    }
    QList<QRect> workAreas() const override
    {
        return P->FAreas.isEmpty() ? QList<QRect>{primaryWorkArea()} : P->FAreas;
    }
    TestPlatform* P;
};

class TestClipboard : public platform::Clipboard
{
public:
    explicit TestClipboard(TestPlatform* p) : P(p) {}
    QString text() const override { return P->clipboardText; }
    void setText(const QString& text) override { P->clipboardText = text; }
    TestPlatform* P;
};

class TestShell : public platform::Shell
{
public:
    explicit TestShell(TestPlatform* p) : P(p) {}
    bool open(const QString& address) override
    {
        P->opened << address;
        return true;
    }
    TestPlatform* P;
};

class TestSound : public platform::Sound
{
public:
    explicit TestSound(TestPlatform* p) : P(p) {}
    void beep() override { ++P->beeps; }
    TestPlatform* P;
};

class TestPicker : public platform::Picker
{
public:
    explicit TestPicker(TestPlatform* p) : P(p) {}
    int pick(const QString& caption, const QStringList& lines, int preselected) override
    {
        P->picks << TestPlatform::Pick{caption, lines, preselected};
        P->log << QStringLiteral("pick: ") + caption;
        if (P->FPickAnswers.isEmpty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected pick: ") + caption), __FILE__,
                         __LINE__);
            return -1;
        }
        return P->FPickAnswers.dequeue();
    }
    TestPlatform* P;
};

struct TestPlatform::Impl
{
    explicit Impl(TestPlatform* p)
        : messages(p), clock(p), screens(p), clipboard(p), shell(p), sound(p), picker(p)
    {}
    TestMessages messages;
    TestClock clock;
    TestScreens screens;
    TestClipboard clipboard;
    TestShell shell;
    TestSound sound;
    TestPicker picker;
};

TestPlatform::TestPlatform() : d(new Impl(this))
{
    FNow = TDateTime::fromDate(2026, 12, 11, 9, 0, 0);
    platform::Services s;
    s.messages = &d->messages;
    s.clock = &d->clock;
    s.screens = &d->screens;
    s.clipboard = &d->clipboard;
    s.shell = &d->shell;
    s.sound = &d->sound;
    s.picker = &d->picker;
    FPrevious = platform::install(s);
}

TestPlatform::~TestPlatform()
{
    platform::install(FPrevious);
    delete d;
}

void TestPlatform::clear()
{
    messages.clear();
    errors.clear();
    confirmations.clear();
    log.clear();
    opened.clear();
    picks.clear();
    beeps = 0;
}
