#pragma once

#include <QDialog>

class QDialogButtonBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// A modal, resizable list to choose one line from, such as the backup to
// restore. Every line carries the caller's tag; the dialog answers the tag of
// the line taken, so the caller may order the lines as it likes.
class TPickDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TPickDialog(QWidget* parent = nullptr);

    // The window's caption, the question put to the user.
    void setCaption(const QString& caption);
    void addLine(const QString& text, int tag);
    void clearLines();
    int lineCount() const;
    // Selects line row (the first line when it is out of range).
    void setPreselected(int row);

    // The tag of the selected line, or -1 when nothing is selected.
    int selectedTag() const;
    // Shows the dialog modally, centred on the screen; the tag of the line
    // taken, or -1 when cancelled.
    int execPick();

    QListWidget* list() const { return FList; }
    QPushButton* acceptButton() const { return FAccept; }
    QPushButton* cancelButton() const { return FCancel; }

private:
    void centreOnScreen();
    void updateAcceptButton();
    void lineActivated(QListWidgetItem* item);

    QListWidget* FList;
    QDialogButtonBox* FButtons;
    QPushButton* FAccept;
    QPushButton* FCancel;
};
