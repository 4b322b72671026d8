#include "hyperlink/property_bag.h"
#include "hyperlink/user_control.h"

#include <QTest>

namespace {

struct Container : UserControlContainer {
    void PropertyChanged(const QString& name) override
    {
        notified << name;
        if (fail_notify)
            throw ControlError(5, "container busy");
    }
    FontRef AmbientFont() override { return ambient; }
    HyperlinkRef Hyperlink() override { return link; }
    QStringList notified;
    bool fail_notify = false;
    FontRef ambient = std::make_shared<FontObject>(FontObject { "Ambient", 8.25 });
    HyperlinkRef link = std::make_shared<DesktopHyperlink>();
};

// Records every WriteProperty call, and stores as the real bag does.
struct RecordingBag : PropertyBag {
    void WriteProperty(const QString& k, const QVariant& v, const QVariant& d) override
    {
        written << k;
        PropertyBag::WriteProperty(k, v, d);
    }
    QStringList written;
};

const QStringList all_keys { "BackColor", "ForeColor", "Enabled", "Font", "BackStyle",
    "BorderStyle", "ActiveControl", "Zeigsmir" };

void check_defaults(const UserControl1& c, const FontRef& font)
{
    QCOMPARE(c.BackColor(), 0);
    QCOMPARE(c.ForeColor(), 0);
    QCOMPARE(c.Enabled(), false);
    QCOMPARE(c.BackStyle(), qint16(0));
    QCOMPARE(c.BorderStyle(), qint16(0));
    QCOMPARE(c.Zeigsmir().metaType(), QMetaType::fromType<qint16>());
    QCOMPARE(c.Zeigsmir().value<qint16>(), qint16(0));
    QVERIFY(!c.ActiveControl());
    QCOMPARE(c.Font(), font); // the same object, not a copy
}

} // namespace

class tst_user_control : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void every_write_notifies_data();
    void every_write_notifies();
    void save_restore_round_trip();
    void write_order_and_defaults();
    void type_mismatch_stops_reading();
    void hyperlink_is_asked_each_time();
    void late_bound_members();
    void input_raises_no_event();
};

void tst_user_control::defaults()
{
    Container box;
    UserControl1 fresh(&box);
    fresh.InitProperties();
    check_defaults(fresh, box.ambient);
    UserControl1 restored(&box);
    PropertyBag empty;
    restored.ReadProperties(empty);
    check_defaults(restored, box.ambient);
    QVERIFY(box.notified.isEmpty());
}

void tst_user_control::every_write_notifies_data()
{
    QTest::addColumn<int>("dispid");
    QTest::addColumn<int>("call");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("name");
    const int let = int(UserControl1::Call::Let), set = int(UserControl1::Call::Set);
    QTest::newRow("BackColor any 32-bit")
        << 0x68030007 << let << QVariant(-16777216) << "BackColor";
    QTest::newRow("ForeColor") << 0x68030006 << let << QVariant(0xff) << "ForeColor";
    QTest::newRow("Enabled") << 0x68030005 << let << QVariant(true) << "Enabled";
    QTest::newRow("Font") << -512 << set << QVariant::fromValue(std::make_shared<FontObject>())
                          << "Font";
    QTest::newRow("BackStyle 7") << 0x68030004 << let << QVariant(7) << "BackStyle";
    QTest::newRow("BorderStyle -1") << 0x68030003 << let << QVariant(-1) << "BorderStyle";
    QTest::newRow("ActiveControl")
        << 0x68030001 << set << QVariant::fromValue(std::make_shared<QObject>()) << "ActiveControl";
    QTest::newRow("Zeigsmir") << 0x68030000 << let << QVariant(QString("x")) << "Zeigsmir";
}

void tst_user_control::every_write_notifies()
{
    QFETCH(int, dispid);
    QFETCH(int, call);
    QFETCH(QVariant, value);
    QFETCH(QString, name);
    Container box;
    UserControl1 c(&box);
    c.InitProperties();
    for (int i = 0; i < 2; ++i) // the second write stores the value already held
        c.invoke(dispid, UserControl1::Call(call), value);
    QCOMPARE(box.notified, QStringList({ name, name }));
    QVERIFY(variants_equal(c.invoke(dispid, UserControl1::Call::Get), value));
    // A failing notification still leaves the value stored, and reaches the caller.
    box.fail_notify = true;
    QVERIFY_THROWS_EXCEPTION(ControlError, c.invoke(0x68030007, UserControl1::Call::Let, 42));
    QCOMPARE(c.BackColor(), 42);
}

void tst_user_control::save_restore_round_trip()
{
    Container box;
    UserControl1 c(&box);
    c.InitProperties();
    const auto font = std::make_shared<FontObject>(FontObject { "Other", 12 });
    const auto control = std::make_shared<QObject>();
    c.let_BackColor(0x123456);
    c.let_Enabled(true);
    c.set_Font(font);
    c.let_BorderStyle(-1);
    c.set_ActiveControl(control);
    c.let_Zeigsmir(QString("0"));
    PropertyBag bag;
    c.WriteProperties(bag);
    QVERIFY(!bag.contains("HyperLink"));

    UserControl1 back(&box);
    back.InitProperties();
    back.ReadProperties(bag);
    QCOMPARE(back.BackColor(), 0x123456);
    QCOMPARE(back.Enabled(), true);
    QCOMPARE(back.Font(), font);
    QCOMPARE(back.BorderStyle(), qint16(-1));
    QCOMPARE(back.ActiveControl(), control);
    QCOMPARE(back.Zeigsmir().metaType(), QMetaType::fromType<QString>()); // not the number 0
    QCOMPARE(back.Zeigsmir().toString(), QString("0"));
}

void tst_user_control::write_order_and_defaults()
{
    Container box;
    UserControl1 c(&box);
    c.InitProperties();
    RecordingBag bag;
    c.WriteProperties(bag);
    QCOMPARE(bag.written, all_keys); // every key, in order, whether or not at its default
    QVERIFY(bag.keys().isEmpty()); // all at their defaults: nothing stored
    c.let_Enabled(true);
    c.let_ForeColor(1);
    c.WriteProperties(bag);
    QCOMPARE(bag.keys(), QStringList({ "ForeColor", "Enabled" }));
}

void tst_user_control::type_mismatch_stops_reading()
{
    Container box;
    UserControl1 c(&box);
    c.InitProperties();
    c.let_BorderStyle(3);
    PropertyBag bag;
    bag.set("forecolor", 77); // keys match without regard to case
    bag.set("Enabled", -1);
    bag.set("FONT", QString("not a font"));
    bag.set("BorderStyle", 9);
    try {
        c.ReadProperties(bag);
        QFAIL("no error");
    } catch (const ControlError& e) {
        QCOMPARE(e.number, control_errors::type_mismatch);
    }
    QCOMPARE(c.ForeColor(), 77);
    QCOMPARE(c.Enabled(), true);
    QCOMPARE(c.Font(), box.ambient);
    QCOMPARE(box.ambient.use_count(), 2); // the container's and the control's: nothing leaked
    QCOMPARE(c.BorderStyle(), qint16(3)); // after the failure: untouched
    bag.set("FONT", QVariant::fromValue(box.ambient));
    bag.set("BackStyle", 40000);
    try {
        c.ReadProperties(bag);
        QFAIL("no error");
    } catch (const ControlError& e) {
        QCOMPARE(e.number, control_errors::overflow);
    }
}

void tst_user_control::hyperlink_is_asked_each_time()
{
    Container box;
    UserControl1 c(&box);
    c.InitProperties();
    const HyperlinkRef first = c.invoke(0x68030002, UserControl1::Call::Get).value<HyperlinkRef>();
    QCOMPARE(first, box.link);
    box.link = std::make_shared<DesktopHyperlink>();
    QCOMPARE(c.HyperLink(), box.link);
    QVERIFY(box.notified.isEmpty());
}

void tst_user_control::late_bound_members()
{
    Container box;
    UserControl1 c(&box);
    QVERIFY(!c.invoke(0x60030008, UserControl1::Call::Method).isValid()); // Refresh
    QVERIFY_THROWS_EXCEPTION(ControlError, c.invoke(0x68030002, UserControl1::Call::Let, 1));
    QVERIFY_THROWS_EXCEPTION(ControlError, c.invoke(0x1234, UserControl1::Call::Get));
}

void tst_user_control::input_raises_no_event()
{
    Container box;
    UserControl1 c(&box);
    c.InitProperties();
    c.resize(40, 25);
    c.show();
    int raised = 0;
    auto count = [&raised] { ++raised; };
    connect(&c, &UserControl1::Click, count);
    connect(&c, &UserControl1::DblClick, count);
    connect(&c, &UserControl1::KeyDown, count);
    connect(&c, &UserControl1::KeyPress, count);
    connect(&c, &UserControl1::KeyUp, count);
    connect(&c, &UserControl1::MouseDown, count);
    connect(&c, &UserControl1::MouseMove, count);
    connect(&c, &UserControl1::MouseUp, count);
    QTest::mouseDClick(&c, Qt::LeftButton);
    QTest::mouseMove(&c, QPoint(5, 5));
    QTest::keyClick(&c, Qt::Key_A);
    QCOMPARE(raised, 0);
}

QTEST_MAIN(tst_user_control)
#include "tst_user_control.moc"
