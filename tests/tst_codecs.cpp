#include "link/duration.h"
#include "settings/settings_file.h"

#include <QTest>

using namespace settings_file;

class tst_codecs : public QObject {
    Q_OBJECT
private slots:
    void format_duration_text();
    void settings_read_data();
    void settings_read();
    void settings_write_data();
    void settings_write();
};

void tst_codecs::format_duration_text()
{
    // clang-format off
    const std::pair<int, const char*> table[] = {
        { 0, "00:00:00" }, { 59, "00:00:59" }, { 61, "00:01:01" }, { 3599, "00:59:59" },
        { 3600, "01:00:00" }, { 86399, "23:59:59" }, { 360000, "100:00:00" },
        { -1, "-01:59:59" }, { 2147483647, "596523:14:07" } };
    // clang-format on
    for (const auto& [secs, text] : table)
        QCOMPARE(format_duration(secs), QString(text));
}

void tst_codecs::settings_read_data()
{
    // What the window takes from a file: "top,left|address|switch"; "-" for a position not
    // applied. "<missing>" stands for no file.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("read");
    // clang-format off
    QTest::newRow("missing")              << QByteArray("<missing>")                              << "-|192.168.1.100|1";
    QTest::newRow("empty")                << QByteArray()                                         << "-|192.168.1.100|1";
    QTest::newRow("complete")             << QByteArray("1380,2280\r\n\"10.0.0.7\"\r\n#FALSE#\r\n") << "1380,2280|10.0.0.7|0";
    QTest::newRow("only line 1")           << QByteArray("1380,2280")                               << "1380,2280|192.168.1.100|1";
    QTest::newRow("ends after line 2")    << QByteArray("1,2\r\n\"host\"\r\n")                    << "1,2|host|1";
    QTest::newRow("one value only")       << QByteArray("1380\r\n")                               << "-|192.168.1.100|1";
    QTest::newRow("empty address line")   << QByteArray("1,2\r\n\r\n#TRUE#\r\n")                  << "1,2||1";
    QTest::newRow("blanks and comma kept")<< QByteArray("1,2\r\n\" a,b \"\r\n#TRUE#\r\n")         << "1,2| a,b |1";
    QTest::newRow("line breaks ignored")  << QByteArray("1,2,\"h\",#FALSE#")                      << "1,2|h|0";
    QTest::newRow("left rounds to even")  << QByteArray("1380.5,2280.5\r\n\"h\"\r\n#TRUE#\r\n")   << "1380.5,2280|h|1";
    QTest::newRow("negative position")    << QByteArray("-15,-300\r\n\"h\"\r\n#TRUE#\r\n")        << "-15,-300|h|1";
    QTest::newRow("left over 32 bits")    << QByteArray("1,3000000000\r\n\"h\"\r\n#FALSE#\r\n")   << "-|192.168.1.100|1";
    QTest::newRow("empty position fields")<< QByteArray(",\r\n\"h\"\r\n#FALSE#\r\n")              << "0,0|h|0";
    QTest::newRow("switch empty")         << QByteArray("1,2\r\n\"h\"\r\n\r\n")                   << "1,2|h|0";
    // clang-format on
}

void tst_codecs::settings_read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, read);
    const Contents c = parse(file == "<missing>" ? std::nullopt : std::optional(file));
    const QString position = c.position
        ? QString::number(c.position->top) + ',' + QString::number(c.position->left)
        : "-";
    QCOMPARE(position + '|' + c.address + '|' + QString::number(c.show_duration), read);
}

void tst_codecs::settings_write_data()
{
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("left");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("show");
    QTest::addColumn<QByteArray>("file");
    // clang-format off
    QTest::newRow("usual")     << 1380.f   << 2280.f  << "192.168.1.100" << true  << QByteArray("1380,2280\r\n\"192.168.1.100\"\r\n#TRUE#\r\n");
    QTest::newRow("negative")  << -4500.f  << -15.f   << ""              << true  << QByteArray("-4500,-15\r\n\"\"\r\n#TRUE#\r\n");
    QTest::newRow("latin-1")   << -0.f     << 0.f     << " Gerät 1 "     << false << QByteArray("0,0\r\n\" Ger\xe4t 1 \"\r\n#FALSE#\r\n");
    QTest::newRow("tiny top")  << 7.0385306e-26f << 1.f << "h"           << false << QByteArray("0.00000000000000000000000007038531,1\r\n\"h\"\r\n#FALSE#\r\n");
    QTest::newRow("huge top")  << 1e20f    << 7.f     << "h"             << true  << QByteArray("100000002004087734272,7\r\n\"h\"\r\n#TRUE#\r\n");
    // clang-format on
}

void tst_codecs::settings_write()
{
    QFETCH(float, top);
    QFETCH(float, left);
    QFETCH(QString, address);
    QFETCH(bool, show);
    QFETCH(QByteArray, file);
    QCOMPARE(format({ Position { top, left }, address, show }), file); // read back: fuzzed
}

QTEST_APPLESS_MAIN(tst_codecs)
#include "tst_codecs.moc"
