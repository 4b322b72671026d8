#include "hyperlink/property_bag.h"
#include "hyperlink/user_control.h"

#include <QMetaMethod>
#include <QTest>
#include <functional>

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

// A value as "type value": "int 0", "short -1", "font Ambient", "object none".
QString text(const QVariant& v)
{
    if (v.metaType() == QMetaType::fromType<FontRef>())
        return "font " + (v.value<FontRef>() ? v.value<FontRef>()->Name : "none");
    if (v.metaType() == QMetaType::fromType<ObjectRef>())
        return QString("object ") + (v.value<ObjectRef>() ? "set" : "none");
    return QString(v.metaType().name()) + ' ' + v.toString();
}

// The number of the ControlError that `f` ends with, or 0.
int error_number(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ControlError& e) {
        return e.number;
    }
    return 0;
}

constexpr auto Get = UserControl1::Call::Get;
constexpr auto Let = UserControl1::Call::Let;

} // namespace

class tst_user_control : public QObject {
    Q_OBJECT
public slots:
    // Not a test (QTest runs private slots only): counts raised events.
    void count() { ++m_raised; }

private slots:
    void properties_data();
    void properties();
    void saving_and_failures();
    void other_members();
    void events_declared_never_raised();

private:
    int m_raised = 0;
};

void tst_user_control::properties_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("call");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("initial"); // after InitProperties, and restored from no keys
    const int let = int(UserControl1::Call::Let), set = int(UserControl1::Call::Set);
    const auto font = QVariant::fromValue(std::make_shared<FontObject>(FontObject { "Other", 12 }));
    const auto control = QVariant::fromValue(std::make_shared<QObject>());
    // clang-format off
    QTest::newRow("BackColor")     << "BackColor"     << 0x68030007 << let << QVariant(-16777216) << "int 0";
    QTest::newRow("ForeColor")     << "ForeColor"     << 0x68030006 << let << QVariant(255)       << "int 0";
    QTest::newRow("Enabled")       << "Enabled"       << 0x68030005 << let << QVariant(true)      << "bool false";
    QTest::newRow("Font")          << "Font"          << -512       << set << font                << "font Ambient";
    QTest::newRow("BackStyle")     << "BackStyle"     << 0x68030004 << let << QVariant(7)         << "short 0";
    QTest::newRow("BorderStyle")   << "BorderStyle"   << 0x68030003 << let << QVariant(-1)        << "short 0";
    QTest::newRow("ActiveControl") << "ActiveControl" << 0x68030001 << set << control             << "object none";
    QTest::newRow("Zeigsmir")      << "Zeigsmir"      << 0x68030000 << let << QVariant("0")       << "short 0";
    // clang-format on
}

void tst_user_control::properties()
{
    QFETCH(QString, name);
    QFETCH(int, id);
    QFETCH(int, call);
    QFETCH(QVariant, value);
    QFETCH(QString, initial);
    const auto member = std::find_if(UserControl1::members.begin(), UserControl1::members.end(),
        [&](const Member& m) { return name == m.name; });
    QVERIFY(member != UserControl1::members.end());
    QCOMPARE(member->dispid, id);

    Container box;
    UserControl1 fresh(&box);
    fresh.InitProperties();
    QCOMPARE(text(fresh.invoke(id, Get)), initial);
    UserControl1 restored(&box);
    PropertyBag empty;
    restored.ReadProperties(empty);
    QCOMPARE(text(restored.invoke(id, Get)), initial);
    QVERIFY(box.notified.isEmpty());

    // Every write notifies, also of the value already held; the value keeps its meaning.
    for (int i = 0; i < 2; ++i)
        fresh.invoke(id, UserControl1::Call(call), value);
    QCOMPARE(box.notified, QStringList({ name, name }));
    QVERIFY(variants_equal(fresh.invoke(id, Get), value));

    // Saved under its own name and restored as it was, type and all.
    PropertyBag bag;
    fresh.WriteProperties(bag);
    QVERIFY(bag.contains(name) && !bag.contains("HyperLink"));
    restored.ReadProperties(bag);
    QCOMPARE(text(restored.invoke(id, Get)), text(fresh.invoke(id, Get)));
    QCOMPARE(restored.invoke(id, Get).metaType(), fresh.invoke(id, Get).metaType());
}

void tst_user_control::saving_and_failures()
{
    Container box;
    UserControl1 c(&box);
    c.InitProperties();
    RecordingBag bag;
    c.WriteProperties(bag);
    // Every key, in order, whether or not at its default; none at its default is stored.
    QCOMPARE(bag.written.join(' '),
        QString("BackColor ForeColor Enabled Font BackStyle BorderStyle ActiveControl Zeigsmir"));
    QVERIFY(bag.keys().isEmpty());
    // InitProperties leaves the control reference alone.
    c.invoke(dispid::ActiveControl, UserControl1::Call::Set,
        QVariant::fromValue(std::make_shared<QObject>()));
    c.InitProperties();
    QVERIFY(c.ActiveControl());
    // A value that cannot be read ends the restore: what came before it is kept, what comes
    // after it untouched.
    c.invoke(dispid::BorderStyle, Let, 3);
    bag.set("forecolor", 77); // keys match without regard to case
    bag.set("Enabled", -1);
    bag.set("FONT", QString("not a font"));
    bag.set("BorderStyle", 9);
    QCOMPARE(error_number([&] { c.ReadProperties(bag); }), control_errors::type_mismatch);
    QCOMPARE(c.ForeColor(), 77);
    QCOMPARE(c.Enabled(), true);
    QCOMPARE(c.Font(), box.ambient);
    QCOMPARE(box.ambient.use_count(), 2); // the container's and the control's: nothing leaked
    QCOMPARE(c.BorderStyle(), qint16(3)); // after the failure: untouched
    bag.set("FONT", QVariant::fromValue(box.ambient));
    bag.set("BackStyle", 40000);
    QCOMPARE(error_number([&] { c.ReadProperties(bag); }), control_errors::overflow);
    // A failing notification still leaves the value stored, and reaches the caller.
    box.fail_notify = true;
    QCOMPARE(error_number([&] { c.invoke(dispid::BackColor, Let, 42); }), 5);
    QCOMPARE(c.BackColor(), 42);
}

void tst_user_control::other_members()
{
    Container box;
    UserControl1 c(&box);
    QCOMPARE(c.invoke(0x68030002, Get).value<HyperlinkRef>(), box.link);
    box.link = std::make_shared<DesktopHyperlink>(); // asked of the container on every read
    QCOMPARE(c.invoke(0x68030002, Get).value<HyperlinkRef>(), box.link);
    QVERIFY(!c.invoke(0x60030008, UserControl1::Call::Method).isValid()); // Refresh
    QVERIFY(box.notified.isEmpty());
    const std::pair<int, UserControl1::Call> wrong[] { { 0x68030002, Let },
        { 0x68030007, UserControl1::Call::Set }, { 0x1234, Get } };
    for (const auto& w : wrong)
        QCOMPARE(error_number([&] { c.invoke(w.first, w.second, 1); }),
            control_errors::member_not_found);
}

void tst_user_control::events_declared_never_raised()
{
    Container box;
    UserControl1 c(&box);
    c.resize(40, 25);
    c.show();
    // The table names exactly the control's signals, and input raises none of them.
    QStringList signals_, listed;
    for (int i = c.metaObject()->methodOffset(); i < c.metaObject()->methodCount(); ++i) {
        const QMetaMethod m = c.metaObject()->method(i);
        signals_ << QString("%1/%2").arg(m.name()).arg(m.parameterCount());
        QObject::connect(&c, m, this, metaObject()->method(metaObject()->indexOfSlot("count()")));
    }
    for (const DeclaredEvent& e : UserControl1::events)
        listed << QString("%1/%2").arg(e.name).arg(e.parameters);
    QCOMPARE(listed.join(' '),
        QString(
            "Click/0 DblClick/0 KeyDown/2 KeyPress/1 KeyUp/2 MouseDown/4 MouseMove/4 MouseUp/4"));
    QCOMPARE(signals_, listed);
    QTest::mouseDClick(&c, Qt::LeftButton);
    QTest::mouseMove(&c, QPoint(5, 5));
    QTest::keyClick(&c, Qt::Key_A);
    QCOMPARE(m_raised, 0);
}

QTEST_MAIN(tst_user_control)
#include "tst_user_control.moc"
