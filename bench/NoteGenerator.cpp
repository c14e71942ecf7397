#include "NoteGenerator.h"

#include "platform/Platform.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

namespace {
const QStringList JaSubjects = {
    QStringLiteral("会議"),   QStringLiteral("見積書"),     QStringLiteral("請求書"),
    QStringLiteral("企画書"), QStringLiteral("打ち合わせ"), QStringLiteral("歯医者"),
    QStringLiteral("買い物"), QStringLiteral("確定申告"),   QStringLiteral("引っ越し"),
    QStringLiteral("誕生日"), QStringLiteral("出張"),       QStringLiteral("健康診断"),
    QStringLiteral("報告書"), QStringLiteral("発表資料"),   QStringLiteral("年賀状"),
};
const QStringList JaActions = {
    QStringLiteral("の準備"),     QStringLiteral("を送る"),     QStringLiteral("を確認する"),
    QStringLiteral("の予約"),     QStringLiteral("の締め切り"), QStringLiteral("について相談"),
    QStringLiteral("をまとめる"), QStringLiteral("の連絡"),     QStringLiteral("を提出"),
};
const QStringList EnSubjects = {
    QStringLiteral("Weekly REPORT"),  QStringLiteral("Release notes"), QStringLiteral("Invoice"),
    QStringLiteral("Code review"),    QStringLiteral("Budget"),        QStringLiteral("Team lunch"),
    QStringLiteral("Server upgrade"), QStringLiteral("Backup check"),  QStringLiteral("Meetup"),
};
const QStringList EnActions = {
    QStringLiteral(" draft"), QStringLiteral(" due"),      QStringLiteral(" follow-up"),
    QStringLiteral(" v2"),    QStringLiteral(" (urgent)"), QStringLiteral(" for Q3"),
};
const QStringList JaSentences = {
    QStringLiteral("資料は共有フォルダに置いてあります。"),
    QStringLiteral("先方の都合を確認してから日程を決める。"),
    QStringLiteral("前回の会議の議事録を読み直しておくこと。"),
    QStringLiteral("不明点は担当者に電話で問い合わせる。"),
    QStringLiteral("予算の上限は十万円まで。"),
    QStringLiteral("駅前の店で午後三時に待ち合わせ。"),
};
const QStringList EnSentences = {
    QStringLiteral("Remember to attach the latest figures."),
    QStringLiteral("Ask the team for their input before Friday."),
    QStringLiteral("The REPORT template is on the shared drive."),
    QStringLiteral("Check the build logs and the test results."),
    QStringLiteral("Send a reminder to everyone who has not answered."),
};
} // namespace

QStringList TNoteGenerator::users(int count)
{
    QStringList u{mainUser()};
    const QStringList others = {QStringLiteral("tanaka"), QStringLiteral("鈴木"),
                                QStringLiteral("guest"), QStringLiteral("sato"),
                                QStringLiteral("高橋")};
    for (int i = 0; i + 1 < count; ++i)
        u << (i < others.size() ? others[i] : QStringLiteral("user%1").arg(i));
    return u;
}

TGenStats TNoteGenerator::generate(TdbmNotes& m, const TGenOptions& o)
{
    QRandomGenerator rng(o.seed);
    const TDateTime now = o.now.isZero() ? platform::SystemClock().now() : o.now;
    const QStringList userList = users(std::max(1, o.users));
    TGenStats stats;

    // A few groups beside group 0, the last one hidden from the desktop.
    m.BeginWork();
    {
        TDbQuery g(m.UpdateTransaction(),
                   {"update or insert into FUSENGROUP (IDKEY, LABEL, BGCOLOR, ICONNUM, VISIBLE)",
                    "values (:IDKEY, :LABEL, :BG, :ICON, :VISIBLE) matching (IDKEY)"});
        const QStringList labels = {QStringLiteral("仕事"), QStringLiteral("家庭"),
                                    QStringLiteral("趣味"), QStringLiteral("保留")};
        for (int i = 0; i < labels.size(); ++i) {
            g.setParam("IDKEY", i + 1);
            g.setParam("LABEL", labels[i]);
            if (i == 1)
                g.setParam("BG", 0xE0E0FF);
            else
                g.setNull("BG");
            g.setParam("ICON", i);
            g.setParam("VISIBLE", i != 3);
            g.execute();
        }
    }
    m.CommitWork();

    QElapsedTimer timer;
    timer.start();
    TDbQuery ins(
        m.UpdateTransaction(),
        {"insert into FUSEN (IDKEY, USERID, FTYPE, FGROUP, TITLE, MEMO, STIME, ETIME,",
         "  ALPHABLEND, P_TOP, P_LEFT, P_WIDTH, P_HEIGHT, ANCHOR, COMPLETED, GUID)",
         "values (:IDKEY, :USERID, :FTYPE, :FGROUP, :TITLE, :MEMO, :STIME, :ETIME,",
         "  :ALPHABLEND, :P_TOP, :P_LEFT, :P_WIDTH, :P_HEIGHT, :ANCHOR, :COMPLETED, :GUID)"});
    int key = m.NextFusenID();
    const int batch = 5000;
    m.BeginWork();
    for (int i = 0; i < o.notes; ++i) {
        // 70 % the main user's, the rest spread over the others
        const bool main = userList.size() == 1 || rng.bounded(100) < 70;
        const QString user =
            main ? userList[0] : userList[1 + rng.bounded(static_cast<int>(userList.size()) - 1)];
        const bool feed = rng.bounded(100) < 15;
        const int type = feed ? 5 : (1 + rng.bounded(4)); // types 1-4 by hand
        const int group = feed ? 0 : (rng.bounded(100) < 55 ? 0 : 1 + rng.bounded(4));
        const bool japanese = rng.bounded(100) < 65;

        // Start: up to five years back, evenly (about 55 notes a day with the
        // feeds); one in a hundred planned up to two months ahead.
        const bool future = rng.bounded(100) == 0;
        const double startOffset =
            future ? rng.generateDouble() * 60 : -rng.generateDouble() * 5 * 365;
        // whole minutes, as a user sets them; feed items to the second
        const double minutes = std::round(startOffset * 1440);
        const TDateTime stime = now.addDays(feed ? startOffset : minutes / 1440);

        QString title;
        if (japanese)
            title = JaSubjects[rng.bounded(static_cast<int>(JaSubjects.size()))] +
                    JaActions[rng.bounded(static_cast<int>(JaActions.size()))];
        else
            title = EnSubjects[rng.bounded(static_cast<int>(EnSubjects.size()))] +
                    EnActions[rng.bounded(static_cast<int>(EnActions.size()))];
        if (rng.bounded(100) < 20)
            title += QStringLiteral(" #%1").arg(i);
        if (feed)
            title = QStringLiteral("【ニュース】") + title + QStringLiteral(" - 速報 %1").arg(i);

        QString memo;
        const int sentences = rng.bounded(100) < 15 ? 0 : rng.bounded(1, 40);
        const QStringList& pool = japanese ? JaSentences : EnSentences;
        for (int s = 0; s < sentences; ++s)
            memo += pool[rng.bounded(static_cast<int>(pool.size()))] + QStringLiteral("\r\n");

        ins.setParam("IDKEY", key++);
        ins.setParam("USERID", user);
        ins.setParam("FTYPE", type);
        ins.setParam("FGROUP", group);
        ins.setParam("TITLE", title);
        if (feed) {
            const QString link = QStringLiteral("https://news.example.jp/articles/%1").arg(i);
            memo += QStringLiteral("\r\nLink: ") + link;
            ins.setParam("GUID", link);
            ++stats.feed;
        } else {
            ins.setNull("GUID");
        }
        if (memo.isEmpty())
            ins.setNull("MEMO");
        else
            ins.setParam("MEMO", memo);
        ins.setParam("STIME", stime);
        const int endKind = rng.bounded(100);
        if (feed || endKind < 45) {
            ins.setNull("ETIME");
        } else if (endKind < 70) {
            ins.setParam("ETIME", TDateTime()); // saved from a window: no end
        } else {
            ins.setParam("ETIME", stime.addDays(rng.bounded(1, 30 * 24) / 24.0));
            ++stats.withEnd;
        }
        if (rng.bounded(100) < 30)
            ins.setParam("ALPHABLEND", 200 + rng.bounded(56));
        else
            ins.setNull("ALPHABLEND");
        ins.setParam("P_TOP", rng.bounded(900));
        ins.setParam("P_LEFT", rng.bounded(1700));
        ins.setParam("P_WIDTH", 200 + rng.bounded(300));
        ins.setParam("P_HEIGHT", 80 + rng.bounded(200));
        // A user works the desktop down: almost every older note is done, a
        // handful stay anchored for good.
        const bool anchored = rng.bounded(2000) == 0;
        const int donePercent = startOffset < -30 ? 99 : startOffset < -14 ? 70 : 10;
        const bool completed = static_cast<int>(rng.bounded(100)) < donePercent;
        ins.setParam("ANCHOR", anchored);
        ins.setParam("COMPLETED", completed);
        ins.execute();

        ++stats.notes;
        stats.completed += completed;
        stats.anchored += anchored;
        if (main) {
            ++stats.mainUserNotes;
            stats.mainUserOpen += (!completed || anchored);
        }
        if ((i + 1) % batch == 0) {
            m.CommitWork();
            m.BeginWork();
        }
    }
    m.CommitWork();
    // Keys taken here must not come back from the generator.
    TDbQuery gen(m.UpdateTransaction(),
                 {QStringLiteral("set generator GEN_FUSEN_ID to %1").arg(key)});
    m.BeginWork();
    gen.execute();
    m.CommitWork();
    stats.seconds = timer.elapsed() / 1000.0;
    return stats;
}
