#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

class QMenu;

// The program's presence in the notification area: its icon, no tooltip, the
// menu the main window sets, and a double-click. The menu opens where the
// pointer is on a right click; what it holds belongs to the main window.
class TTray : public QObject
{
    Q_OBJECT
public:
    explicit TTray(QObject* parent = nullptr);
    ~TTray() override;

    // The menu shown on a right click (not owned).
    void setMenu(QMenu* menu);
    QMenu* menu() const;

    void show();
    void hide();
    bool isVisible() const;
    // Whether the desktop has a notification area to show the icon in. When
    // it has none, the program has no visible face unless the main window
    // shows itself.
    static bool isAvailable();

    QSystemTrayIcon* icon() const { return FIcon; }

    // A yellow sticky note with a folded corner, drawn for 16, 22, 32, 48 and
    // 64 pixels; the program's icon everywhere.
    static QIcon programIcon();

Q_SIGNALS:
    void doubleClicked();

private:
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon* FIcon;
};
