#pragma once

#include <QApplication>

// The application object. An error that escapes a command (a click, a menu
// item, a timer tick) ends up here instead of tearing the program down: it is
// shown in an error box and the program goes on. Database errors have been
// shown by the database module already and are not shown twice.
class TKwilApplication : public QApplication
{
    Q_OBJECT
public:
    TKwilApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an error that reached the application: its own text, once.
void ShowApplicationError(const std::exception& e);
