#include "hyperlink/user_control.h"

#include "hyperlink/property_bag.h"

namespace {

constexpr qint32 dispid_font = -512;

} // namespace

UserControl1::UserControl1(UserControlContainer* container, QWidget* parent)
    : QWidget(parent)
    , m_container(container)
{
    // Input goes nowhere: no event of the control is ever raised.
    setFocusPolicy(Qt::NoFocus);
}

void UserControl1::changed(const char* name)
{
    m_container->PropertyChanged(QString::fromLatin1(name));
}

void UserControl1::let_BackColor(qint32 New_BackColor)
{
    m_BackColor = New_BackColor;
    changed("BackColor");
}

void UserControl1::let_ForeColor(qint32 New_ForeColor)
{
    m_ForeColor = New_ForeColor;
    changed("ForeColor");
}

void UserControl1::let_Enabled(bool New_Enabled)
{
    m_Enabled = New_Enabled;
    changed("Enabled");
}

void UserControl1::set_Font(FontRef New_Font)
{
    m_Font = std::move(New_Font);
    changed("Font");
}

void UserControl1::let_BackStyle(qint16 New_BackStyle)
{
    m_BackStyle = New_BackStyle;
    changed("BackStyle");
}

void UserControl1::let_BorderStyle(qint16 New_BorderStyle)
{
    m_BorderStyle = New_BorderStyle;
    changed("BorderStyle");
}

void UserControl1::set_ActiveControl(ObjectRef New_ActiveControl)
{
    m_ActiveControl = std::move(New_ActiveControl);
    changed("ActiveControl");
}

void UserControl1::let_Zeigsmir(const QVariant& New_Zeigsmir)
{
    m_Zeigsmir = New_Zeigsmir;
    changed("Zeigsmir");
}

HyperlinkRef UserControl1::HyperLink() const { return m_container->Hyperlink(); }

void UserControl1::InitProperties()
{
    m_BackColor = 0;
    m_ForeColor = 0;
    m_Enabled = false;
    m_Font = m_container->AmbientFont();
    m_BackStyle = 0;
    m_BorderStyle = 0;
    m_Zeigsmir = integer_variant(0);
}

void UserControl1::ReadProperties(PropertyBag& PropBag)
{
    const QVariant zero = integer_variant(0);
    m_BackColor = to_long(PropBag.ReadProperty(QStringLiteral("BackColor"), zero));
    m_ForeColor = to_long(PropBag.ReadProperty(QStringLiteral("ForeColor"), zero));
    m_Enabled = to_boolean(PropBag.ReadProperty(QStringLiteral("Enabled"), zero));
    {
        const QVariant ambient = QVariant::fromValue(m_container->AmbientFont());
        m_Font = to_font(PropBag.ReadProperty(QStringLiteral("Font"), ambient));
    }
    m_BackStyle = to_integer(PropBag.ReadProperty(QStringLiteral("BackStyle"), zero));
    m_BorderStyle = to_integer(PropBag.ReadProperty(QStringLiteral("BorderStyle"), zero));
    m_ActiveControl = to_control(
        PropBag.ReadProperty(QStringLiteral("ActiveControl"), QVariant::fromValue(ObjectRef())));
    m_Zeigsmir = PropBag.ReadProperty(QStringLiteral("Zeigsmir"), zero);
}

void UserControl1::WriteProperties(PropertyBag& PropBag)
{
    const QVariant zero = integer_variant(0);
    PropBag.WriteProperty(
        QStringLiteral("BackColor"), QVariant::fromValue<qint32>(m_BackColor), zero);
    PropBag.WriteProperty(
        QStringLiteral("ForeColor"), QVariant::fromValue<qint32>(m_ForeColor), zero);
    PropBag.WriteProperty(QStringLiteral("Enabled"), QVariant::fromValue<bool>(m_Enabled), zero);
    PropBag.WriteProperty(QStringLiteral("Font"), QVariant::fromValue(m_Font),
        QVariant::fromValue(m_container->AmbientFont()));
    PropBag.WriteProperty(QStringLiteral("BackStyle"), integer_variant(m_BackStyle), zero);
    PropBag.WriteProperty(QStringLiteral("BorderStyle"), integer_variant(m_BorderStyle), zero);
    PropBag.WriteProperty(QStringLiteral("ActiveControl"), QVariant::fromValue(m_ActiveControl),
        QVariant::fromValue(ObjectRef()));
    PropBag.WriteProperty(QStringLiteral("Zeigsmir"), m_Zeigsmir, zero);
}

QVariant UserControl1::invoke(qint32 dispid, Call call, const QVariant& argument)
{
    const bool get = call == Call::Get;
    switch (dispid) {
    case 0x68030007:
        if (get)
            return QVariant::fromValue<qint32>(BackColor());
        if (call == Call::Let)
            return let_BackColor(to_long(argument)), QVariant();
        break;
    case 0x68030006:
        if (get)
            return QVariant::fromValue<qint32>(ForeColor());
        if (call == Call::Let)
            return let_ForeColor(to_long(argument)), QVariant();
        break;
    case 0x68030005:
        if (get)
            return QVariant::fromValue<bool>(Enabled());
        if (call == Call::Let)
            return let_Enabled(to_boolean(argument)), QVariant();
        break;
    case dispid_font:
        if (get)
            return QVariant::fromValue(Font());
        if (call == Call::Set)
            return set_Font(to_font(argument)), QVariant();
        break;
    case 0x68030004:
        if (get)
            return integer_variant(BackStyle());
        if (call == Call::Let)
            return let_BackStyle(to_integer(argument)), QVariant();
        break;
    case 0x68030003:
        if (get)
            return integer_variant(BorderStyle());
        if (call == Call::Let)
            return let_BorderStyle(to_integer(argument)), QVariant();
        break;
    case 0x60030008:
        if (call == Call::Method)
            return Refresh(), QVariant();
        break;
    case 0x68030002:
        if (get)
            return QVariant::fromValue(HyperLink());
        break;
    case 0x68030001:
        if (get)
            return QVariant::fromValue(ActiveControl());
        if (call == Call::Set)
            return set_ActiveControl(to_control(argument)), QVariant();
        break;
    case 0x68030000:
        if (get)
            return Zeigsmir();
        if (call == Call::Let)
            return let_Zeigsmir(argument), QVariant();
        break;
    }
    throw ControlError(control_errors::member_not_found,
        QStringLiteral("Object doesn't support this property or method"));
}

const QList<UserControl1::Member>& UserControl1::members()
{
    static const QList<Member> list = {
        { "BackColor", 0x68030007,
            "Gibt die Hintergrundfarbe zurück, die verwendet wird, um Text und Grafik in einem "
            "Objekt anzuzeigen, oder legt diese fest." },
        { "ForeColor", 0x68030006,
            "Gibt die Vordergrundfarbe zurück, die zum Anzeigen von Text und Grafiken in einem "
            "Objekt verwendet wird, oder legt diese fest." },
        { "Enabled", 0x68030005,
            "Gibt einen Wert zurück, der bestimmt, ob ein Objekt auf vom Benutzer erzeugte "
            "Ereignisse reagieren kann, oder legt diesen fest." },
        { "Font", dispid_font, "Gibt ein Font-Objekt zurück." },
        { "BackStyle", 0x68030004,
            "Zeigt an, ob ein Bezeichnungsfeld oder der Hintergrund eines "
            "Figur-Steuerelements transparent oder undurchsichtig ist." },
        { "BorderStyle", 0x68030003,
            "Gibt den Rahmenstil für ein Objekt zurück oder legt diesen fest." },
        { "Refresh", 0x60030008, "Erzwingt ein vollständiges Neuzeichnen eines Objekts." },
        { "HyperLink", 0x68030002,
            "Gibt ein Hyperlink-Objekt zurück, das für Browser-Navigation verwendet wird." },
        { "ActiveControl", 0x68030001, "Gibt das Steuerelement mit dem Fokus zurück." },
        { "Zeigsmir", 0x68030000, nullptr },
    };
    return list;
}

const QList<UserControl1::Event>& UserControl1::declared_events()
{
    static const QList<Event> list = {
        { "Click", 1, "",
            "Tritt auf, wenn der Benutzer eine Maustaste über einem Objekt drückt und wieder "
            "losläßt." },
        { "DblClick", 2, "",
            "Tritt auf, wenn der Benutzer eine Maustaste über einem Objekt drückt und wieder "
            "losläßt und anschließend erneut drückt und wieder losläßt." },
        { "KeyDown", 3, "qint16& KeyCode, qint16& Shift",
            "Tritt auf, wenn der Benutzer eine Taste drückt, während ein Objekt den Fokus "
            "besitzt." },
        { "KeyPress", 4, "qint16& KeyAscii",
            "Tritt auf, wenn der Benutzer eine ANSI-Taste drückt und losläßt." },
        { "KeyUp", 5, "qint16& KeyCode, qint16& Shift",
            "Tritt auf, wenn der Benutzer eine Taste losläßt, während ein Objekt den Fokus "
            "hat." },
        { "MouseDown", 6, "qint16& Button, qint16& Shift, float& X, float& Y",
            "Tritt auf, wenn der Benutzer die Maustaste drückt, während ein Objekt den Fokus "
            "hat." },
        { "MouseMove", 7, "qint16& Button, qint16& Shift, float& X, float& Y",
            "Tritt auf, wenn der Benutzer die Maus bewegt." },
        { "MouseUp", 8, "qint16& Button, qint16& Shift, float& X, float& Y",
            "Tritt auf, wenn der Benutzer die Maustaste losläßt, während ein Objekt den Fokus "
            "hat." },
    };
    return list;
}
