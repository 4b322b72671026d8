#include "settings/settings_file.h"

#include <QTest>

using namespace settings_file;

Q_DECLARE_METATYPE(Contents)

class tst_settings_file : public QObject {
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void write_data();
    void write(); // and read back
};

void tst_settings_file::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Contents>("read"); // no position: the window keeps its place
    const QString none = "192.168.1.100";
    QTest::newRow("empty") << QByteArray() << Contents { {}, none, true };
    QTest::newRow("only line 1") << QByteArray("1380,2280")
                                 << Contents { Position { 1380, 2280 }, none, true };
    QTest::newRow("ends after line 2, blanks before fields")
        << QByteArray("1, 2,\t\"h\"") << Contents { Position { 1, 2 }, "h", true };
    QTest::newRow("empty quoted address")
        << QByteArray("1,2,\"\",#FALSE#") << Contents { Position { 1, 2 }, "", false };
    QTest::newRow("unquoted address, blanks cut, a bare CR ends the line")
        << QByteArray("1,2,h \t\r#FALSE#") << Contents { Position { 1, 2 }, "h", false };
    QTest::newRow("quote left open")
        << QByteArray("1,2,\"h,#FALSE#") << Contents { Position { 1, 2 }, "h,#FALSE#", true };
    QTest::newRow("left rounds to even")
        << QByteArray("1380.5,2280.5,h") << Contents { Position { 1380.5, 2280 }, "h", true };
    QTest::newRow("left rounds to even, upwards")
        << QByteArray("-0.25,2281.5,h") << Contents { Position { -0.25, 2282 }, "h", true };
    QTest::newRow("signs and exponents")
        << QByteArray("-1.5e1,+3E2,h,1") << Contents { Position { -15, 300 }, "h", true };
    QTest::newRow("left over 32 bits")
        << QByteArray("1,2147483648,h,0") << Contents { {}, none, true };
    QTest::newRow("left at the 32-bit maximum")
        << QByteArray("1,2147483647,h,0") << Contents { Position { 1, 2147483647.f }, "h", false };
    QTest::newRow("left is text") << QByteArray("1,x2,h,0") << Contents { {}, none, true };
    QTest::newRow("empty position fields")
        << QByteArray(",,h,0") << Contents { Position { 0, 0 }, "h", false };
    QTest::newRow("top beyond single precision")
        << QByteArray("1e39,2,h,0") << Contents { {}, "h", false };
    QTest::newRow("switch empty") << QByteArray("1,2,h,\r\n")
                                  << Contents { Position { 1, 2 }, "h", false };
    QTest::newRow("switch unreadable")
        << QByteArray("1,2,h,#MAYBE#") << Contents { Position { 1, 2 }, "h", true };
    QTest::newRow("a long address is cut") << QByteArray(
        "1,2," + QByteArray(300, 'a')) << Contents { Position { 1, 2 }, QString(255, 'a'), true };
}

void tst_settings_file::read()
{
    QFETCH(QByteArray, file);
    QFETCH(Contents, read);
    const Contents c = parse(file);
    QCOMPARE(c.position.has_value(), read.position.has_value());
    QCOMPARE(c.position.value_or(Position {}).top, read.position.value_or(Position {}).top);
    QCOMPARE(c.position.value_or(Position {}).left, read.position.value_or(Position {}).left);
    QCOMPARE(c.address, read.address);
    QCOMPARE(c.show_duration, read.show_duration);
}

void tst_settings_file::write_data()
{
    QTest::addColumn<Contents>("values");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("latin-1") << Contents { Position { -0.f, 0 }, " Gerät 1 ", false }
                             << QByteArray("0,0\r\n\" Ger\xe4t 1 \"\r\n#FALSE#\r\n");
    QTest::newRow("commas and blanks, the 32-bit minimum")
        << Contents { Position { 0.1f, -2147483648.f }, " a, b ,", true }
        << QByteArray("0.1,-2147483648\r\n\" a, b ,\"\r\n#TRUE#\r\n");
    QTest::newRow("largest") << Contents { Position { 3.4028235e38f, 2147483520.f }, "ÿ", false }
                             << QByteArray("340282346638528859811704183484516925440,2147483520\r\n"
                                           "\"\xff\"\r\n#FALSE#\r\n");
}

void tst_settings_file::write()
{
    QFETCH(Contents, values);
    QFETCH(QByteArray, file);
    QCOMPARE(format(values), file);
    // Read back, the file gives exactly these values.
    const Contents back = parse(file);
    QVERIFY(back.position);
    QCOMPARE(double(back.position->top), double(values.position->top));
    QCOMPARE(double(back.position->left), double(values.position->left));
    QCOMPARE(back.address, values.address);
    QCOMPARE(back.show_duration, values.show_duration);
}

QTEST_APPLESS_MAIN(tst_settings_file)
#include "tst_settings_file.moc"
