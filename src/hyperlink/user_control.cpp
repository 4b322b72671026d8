#include "hyperlink/user_control.h"

#include "hyperlink/property_bag.h"

const std::array<Member, 10> UserControl1::members = { {
    // "Gibt die Hintergrundfarbe zurück, die verwendet wird, um Text und Grafik in einem Objekt
    // anzuzeigen, oder legt diese fest."
    { "BackColor", dispid::BackColor, MemberKind::Long },
    // "Gibt die Vordergrundfarbe zurück, die zum Anzeigen von Text und Grafiken in einem Objekt
    // verwendet wird, oder legt diese fest."
    { "ForeColor", dispid::ForeColor, MemberKind::Long },
    // "Gibt einen Wert zurück, der bestimmt, ob ein Objekt auf vom Benutzer erzeugte Ereignisse
    // reagieren kann, oder legt diesen fest."
    { "Enabled", dispid::Enabled, MemberKind::Boolean },
    // "Gibt ein Font-Objekt zurück."
    { "Font", dispid::Font, MemberKind::Font },
    // "Zeigt an, ob ein Bezeichnungsfeld oder der Hintergrund eines Figur-Steuerelements
    // transparent oder undurchsichtig ist."
    { "BackStyle", dispid::BackStyle, MemberKind::Integer },
    // "Gibt den Rahmenstil für ein Objekt zurück oder legt diesen fest."
    { "BorderStyle", dispid::BorderStyle, MemberKind::Integer },
    // "Erzwingt ein vollständiges Neuzeichnen eines Objekts."
    { "Refresh", dispid::Refresh, MemberKind::Method },
    // "Gibt ein Hyperlink-Objekt zurück, das für Browser-Navigation verwendet wird."
    { "HyperLink", dispid::HyperLink, MemberKind::FromContainer },
    // "Gibt das Steuerelement mit dem Fokus zurück."
    { "ActiveControl", dispid::ActiveControl, MemberKind::Control },
    { "Zeigsmir", dispid::Zeigsmir, MemberKind::Variant },
} };

namespace {

bool stored_kind(MemberKind kind)
{
    return kind != MemberKind::Method && kind != MemberKind::FromContainer;
}

bool by_reference(MemberKind kind)
{
    return kind == MemberKind::Font || kind == MemberKind::Control;
}

// A value converted to what a member of this kind stores; throws ControlError on a type
// mismatch or an overflow.
QVariant convert(MemberKind kind, const QVariant& v)
{
    switch (kind) {
    case MemberKind::Long:
        return QVariant::fromValue<qint32>(to_long(v));
    case MemberKind::Boolean:
        return QVariant::fromValue<bool>(to_boolean(v));
    case MemberKind::Integer:
        return integer_variant(to_integer(v));
    case MemberKind::Font:
        return QVariant::fromValue(to_font(v));
    case MemberKind::Control:
        return QVariant::fromValue(to_control(v));
    case MemberKind::Variant:
    case MemberKind::Method:
    case MemberKind::FromContainer:
        break;
    }
    return v;
}

size_t index_of(qint32 id)
{
    for (size_t i = 0; i < UserControl1::members.size(); ++i) {
        if (UserControl1::members[i].dispid == id)
            return i;
    }
    return UserControl1::members.size();
}

} // namespace

UserControl1::UserControl1(UserControlContainer* container, QWidget* parent)
    : QWidget(parent)
    , m_container(container)
{
    // Input goes nowhere: no event of the control is ever raised.
    setFocusPolicy(Qt::NoFocus);
    // A new instance holds zero, False or empty references until the container initialises
    // or restores it; a Variant holds nothing at all.
    for (size_t i = 0; i < members.size(); ++i) {
        const MemberKind kind = members[i].kind;
        if (stored_kind(kind) && kind != MemberKind::Variant)
            m_values[i] = by_reference(kind) ? convert(kind, QVariant::fromValue(ObjectRef()))
                                             : convert(kind, integer_variant(0));
    }
}

const QVariant& UserControl1::stored(qint32 id) const { return m_values[index_of(id)]; }

QVariant UserControl1::default_value(MemberKind kind) const
{
    if (kind == MemberKind::Font)
        return QVariant::fromValue(m_container->AmbientFont());
    if (kind == MemberKind::Control)
        return QVariant::fromValue(ObjectRef());
    return integer_variant(0);
}

void UserControl1::InitProperties()
{
    // Every stored property takes its default, but the control reference, which stays as it is.
    for (size_t i = 0; i < members.size(); ++i) {
        const MemberKind kind = members[i].kind;
        if (stored_kind(kind) && kind != MemberKind::Control)
            m_values[i] = convert(kind, default_value(kind));
    }
}

void UserControl1::ReadProperties(PropertyBag& PropBag)
{
    // A value that cannot be converted ends the reading: the properties before it keep their
    // new values, the later ones what they held.
    for (size_t i = 0; i < members.size(); ++i) {
        const Member& m = members[i];
        if (stored_kind(m.kind)) {
            m_values[i] = convert(
                m.kind, PropBag.ReadProperty(QString::fromLatin1(m.name), default_value(m.kind)));
        }
    }
}

void UserControl1::WriteProperties(PropertyBag& PropBag)
{
    for (size_t i = 0; i < members.size(); ++i) {
        const Member& m = members[i];
        if (stored_kind(m.kind))
            PropBag.WriteProperty(QString::fromLatin1(m.name), m_values[i], default_value(m.kind));
    }
}

QVariant UserControl1::invoke(qint32 id, Call call, const QVariant& argument)
{
    const size_t i = index_of(id);
    if (i < members.size()) {
        const Member& m = members[i];
        if (m.kind == MemberKind::Method && call == Call::Method)
            return Refresh(), QVariant();
        if (m.kind == MemberKind::FromContainer && call == Call::Get)
            return QVariant::fromValue(HyperLink());
        if (stored_kind(m.kind) && call == Call::Get)
            return m_values[i];
        if (stored_kind(m.kind) && call == (by_reference(m.kind) ? Call::Set : Call::Let)) {
            // Stored first, then reported, also when the value is the one already held.
            m_values[i] = convert(m.kind, argument);
            m_container->PropertyChanged(QString::fromLatin1(m.name));
            return {};
        }
    }
    throw ControlError(control_errors::member_not_found,
        QStringLiteral("Object doesn't support this property or method"));
}
