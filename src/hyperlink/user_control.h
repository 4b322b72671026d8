#pragma once

#include "hyperlink/objects.h"

#include <QVariant>
#include <QWidget>

#include <array>

class PropertyBag;

// What the control asks of the window that hosts it. Each call may fail with a ControlError.
class UserControlContainer {
public:
    virtual ~UserControlContainer() = default;
    // A saved property has changed.
    virtual void PropertyChanged(const QString& name) = 0;
    // The container's ambient font object.
    virtual FontRef AmbientFont() = 0;
    // The container's hyperlink object.
    virtual HyperlinkRef Hyperlink() = 0;
};

// Dispatch identifiers of the control's members.
namespace dispid {
constexpr qint32 BackColor = 0x68030007;
constexpr qint32 ForeColor = 0x68030006;
constexpr qint32 Enabled = 0x68030005;
constexpr qint32 Font = -512; // the standard font identifier
constexpr qint32 BackStyle = 0x68030004;
constexpr qint32 BorderStyle = 0x68030003;
constexpr qint32 Refresh = 0x60030008;
constexpr qint32 HyperLink = 0x68030002;
constexpr qint32 ActiveControl = 0x68030001;
constexpr qint32 Zeigsmir = 0x68030000;
} // namespace dispid

// What a member holds, how it is assigned, and its default in the property bag.
enum class MemberKind : quint8 {
    Long, // 32-bit integer, by value; default the 16-bit integer 0
    Boolean, // by value; default the 16-bit integer 0
    Integer, // 16-bit integer, by value; default the 16-bit integer 0
    Variant, // any value with its type, by value; default the 16-bit integer 0
    Font, // font object, by reference; default the container's ambient font
    Control, // any object, by reference; default the empty reference
    Method, // no value
    FromContainer, // read only, asked of the container on every read, never stored
};

struct Member {
    const char* name; // also the property bag's key and the name PropertyChanged reports
    qint32 dispid;
    MemberKind kind;
};

// The hyperlink user control, public identifier TembrillConnect.UserControl1. It hands out the
// container's hyperlink object and carries eight stored properties that are reported when
// assigned, saved and restored, and have no other effect. It draws nothing and raises none of
// its declared events.
class UserControl1 : public QWidget {
    Q_OBJECT
public:
    // The members in the order of the control's interface. The stored properties among them are
    // initialised, restored and saved in this same order.
    static const std::array<Member, 10> members;

    explicit UserControl1(UserControlContainer* container, QWidget* parent = nullptr);

    qint32 BackColor() const { return stored(dispid::BackColor).value<qint32>(); }
    qint32 ForeColor() const { return stored(dispid::ForeColor).value<qint32>(); }
    bool Enabled() const { return stored(dispid::Enabled).value<bool>(); }
    FontRef Font() const { return stored(dispid::Font).value<FontRef>(); }
    qint16 BackStyle() const { return stored(dispid::BackStyle).value<qint16>(); }
    qint16 BorderStyle() const { return stored(dispid::BorderStyle).value<qint16>(); }
    ObjectRef ActiveControl() const { return stored(dispid::ActiveControl).value<ObjectRef>(); }
    QVariant Zeigsmir() const { return stored(dispid::Zeigsmir); }
    HyperlinkRef HyperLink() const { return m_container->Hyperlink(); }
    void Refresh() { }

    // Lifecycle notifications from the container.
    void InitProperties();
    void ReadProperties(PropertyBag& PropBag);
    void WriteProperties(PropertyBag& PropBag);

    // Access by dispatch identifier, as a late-bound caller has it: read a property, assign a
    // value (Let) or an object (Set), or call a method.
    enum class Call { Get, Let, Set, Method };
    QVariant invoke(qint32 id, Call call, const QVariant& argument = {});

signals:
    // Declared with dispatch identifiers 1 to 8, in this order, and never raised.
    // "Tritt auf, wenn der Benutzer eine Maustaste über einem Objekt drückt und wieder
    // losläßt."
    void Click();
    // "Tritt auf, wenn der Benutzer eine Maustaste über einem Objekt drückt und wieder losläßt
    // und anschließend erneut drückt und wieder losläßt."
    void DblClick();
    // "Tritt auf, wenn der Benutzer eine Taste drückt, während ein Objekt den Fokus besitzt."
    void KeyDown(qint16& KeyCode, qint16& Shift);
    // "Tritt auf, wenn der Benutzer eine ANSI-Taste drückt und losläßt."
    void KeyPress(qint16& KeyAscii);
    // "Tritt auf, wenn der Benutzer eine Taste losläßt, während ein Objekt den Fokus hat."
    void KeyUp(qint16& KeyCode, qint16& Shift);
    // "Tritt auf, wenn der Benutzer die Maustaste drückt, während ein Objekt den Fokus hat."
    void MouseDown(qint16& Button, qint16& Shift, float& X, float& Y);
    // "Tritt auf, wenn der Benutzer die Maus bewegt."
    void MouseMove(qint16& Button, qint16& Shift, float& X, float& Y);
    // "Tritt auf, wenn der Benutzer die Maustaste losläßt, während ein Objekt den Fokus hat."
    void MouseUp(qint16& Button, qint16& Shift, float& X, float& Y);

protected:
    void paintEvent(QPaintEvent*) override { }

private:
    const QVariant& stored(qint32 id) const;
    QVariant default_value(MemberKind kind) const;

    UserControlContainer* m_container;
    // One value per member, by the member's place in the table; unused for Refresh and
    // HyperLink.
    std::array<QVariant, 10> m_values;
};
