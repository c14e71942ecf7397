// Renders the list window offscreen to PNG files, over a fresh database of
// generated Japanese and English notes, for a look at columns and labels.
//
//   kwil_list_shot [folder]     # default /tmp/kwil-shots: list.png, list-wide.png

#include "NoteGenerator.h"

#include "app/Settings.h"
#include "db/FbClient.h"
#include "db/FbServices.h"
#include "list/ListGrid.h"
#include "list/ListHost.h"
#include "list/ListModel.h"
#include "list/ListWindow.h"
#include "types/FusenGroup.h"
#include "types/TypeList.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {
class ShotHost : public TListHost
{
public:
    void OpenNoteByKey(int32_t) override {}
    void DiscardNote(int32_t) override {}
    QTimer& timer() override { return FTimer; }

private:
    QTimer FTimer;
};
} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/kwil-shots");
    QDir().mkpath(out);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("SHOT.FDB"));
    int rc = 0;
    try {
        TServiceParams sp;
        sp.userName = QStringLiteral("SYSDBA");
        FbServices::Restore(sp, QCoreApplication::applicationDirPath() + "/INITIALDB.FBK", file);
        TdbmNotes m;
        m.SetServer(QString());
        m.SetDBFile(file);
        m.SetUserName(QStringLiteral("SYSDBA"));
        m.Connect();
        TGenOptions o;
        o.notes = 400;
        o.users = 1;
        TNoteGenerator::generate(m, o);

        TSettings settings;
        TTypeList types;
        types.Reload(m);
        TFusenGroup groups(m);
        groups.Load();
        ShotHost host;
        {
            TListWindow w(m, settings, host);
            w.setWindowTitle(QStringLiteral("Kwil!"));
            w.ReloadTypeList(types);
            w.ReloadGroupList(groups);
            w.resize(638, 470);
            w.show();
            w.checkCompleted->setChecked(true);
            w.SortByColumn(TListModel::colSTIME); // newest first
            // A few selected rows, open and completed, and the current one.
            w.dbGrid->setFocus();
            for (const int r : {2, 3, 9, 10, 11})
                w.dbGrid->selectionModel()->select(
                    w.model().index(r, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
            w.dbGrid->selectionModel()->setCurrentIndex(w.model().index(6, 1),
                                                        QItemSelectionModel::NoUpdate);
            w.dbGrid->scrollToTop();
            QCoreApplication::processEvents();
            w.grab().save(out + QStringLiteral("/list.png"));
            w.resize(1000, 600);
            QCoreApplication::processEvents();
            w.grab().save(out + QStringLiteral("/list-wide.png"));
            std::printf("%d rows read, %s\n", w.model().rowCount(), qPrintable(out));
        }
        m.Disconnect();
    } catch (const EDatabaseError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        rc = 1;
    }
    TFbClient::shutdownAll();
    return rc;
}
