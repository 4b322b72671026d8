// Arbitrary saved states through UserControl1: ReadProperties ends normally or with a type
// mismatch (13) or an overflow (6); what it restored saves and restores again; and
// nothing leaks (LeakSanitizer).

#include "hyperlink/property_bag.h"
#include "hyperlink/user_control.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>

namespace {

struct Container : UserControlContainer {
    void PropertyChanged(const QString&) override { }
    FontRef AmbientFont() override { return ambient; }
    HyperlinkRef Hyperlink() override { return {}; }
    FontRef ambient = std::make_shared<FontObject>(FontObject { "Ambient", 8.25 });
};

// A saved value of one of the kinds a saved form holds, from four bytes.
QVariant value(uint8_t kind, const uint8_t* p)
{
    qint32 n = 0;
    std::memcpy(&n, p, 4);
    switch (kind % 7) {
    case 0:
        return QVariant::fromValue<qint16>(qint16(n));
    case 1:
        return QVariant::fromValue<qint32>(n);
    case 2:
        return QVariant(double(n) * 1e3); // also beyond the 16- and 32-bit ranges
    case 3:
        return QVariant(QString::fromLatin1(reinterpret_cast<const char*>(p), 4));
    case 4:
        return QVariant::fromValue(std::make_shared<FontObject>(FontObject { "Saved", 9 }));
    case 5:
        return QVariant::fromValue(n & 1 ? std::make_shared<QObject>() : ObjectRef());
    default:
        return QVariant(bool(n & 1));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Entries of six bytes: key (one of the eight, in any case, or another), kind, value.
    PropertyBag saved;
    for (size_t i = 0; i + 6 <= size; i += 6) {
        const Member& m = UserControl1::members[data[i] % UserControl1::members.size()];
        saved.set(QString::fromLatin1(m.name), value(data[i + 1], data + i + 2));
    }
    Container box;
    UserControl1 control(&box);
    try {
        control.ReadProperties(saved);
    } catch (const ControlError& e) {
        if (e.number != control_errors::type_mismatch && e.number != control_errors::overflow)
            std::abort();
        return 0;
    }
    PropertyBag bag;
    control.WriteProperties(bag);
    UserControl1 back(&box);
    back.ReadProperties(bag); // must not throw: everything saved is readable
    // The values come back; so do their types, but for a value equal to its default, which
    // the bag does not store (a False saved as Zeigsmir comes back as the default 0).
    for (const Member& m : UserControl1::members) {
        if (m.kind == MemberKind::Method || m.kind == MemberKind::FromContainer)
            continue;
        const QVariant a = control.invoke(m.dispid, UserControl1::Call::Get);
        const QVariant b = back.invoke(m.dispid, UserControl1::Call::Get);
        if (!variants_equal(a, b) || (bag.contains(m.name) && a.metaType() != b.metaType()))
            std::abort();
    }
    return 0;
}
