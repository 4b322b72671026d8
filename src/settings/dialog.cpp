#include "settings/dialog.h"

#include "hyperlink/property_bag.h"
#include "platform/pictures.h"
#include "platform/ui.h"
#include "settings/globals.h"
#include "settings/settings_file.h"

#include <QAccessibleWidget>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionFocusRect>

namespace {

// The web address: a link, reached with Tab, that shows a focus frame while it has the focus.
class LinkLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QLabel::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        frame.rect = QRect(QPoint(), fontMetrics().size(0, text())).intersected(rect());
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
    }
};

} // namespace

const QString Dialog::copyright_text
    = QStringLiteral("Copyright \u00a9 2026 Tembrill Connect. Alle Rechte vorbehalten.");
// Reserved for documentation and examples: it opens in any browser and is nobody's product site.
const QString Dialog::web_address = QStringLiteral("https://www.example.com/");

Dialog::Dialog(HyperlinkRef browser, QWidget* parent)
    : QDialog(parent,
        Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_browser(std::move(browser))
{
    // To assistive technology the web address is a link.
    static const bool installed = [] {
        QAccessible::installFactory([](const QString&, QObject* object) -> QAccessibleInterface* {
            if (auto* link = dynamic_cast<LinkLabel*>(object))
                return new QAccessibleWidget(link, QAccessible::Link);
            return nullptr;
        });
        return true;
    }();
    Q_UNUSED(installed);
    setWindowTitle(QStringLiteral("Tembrill Connect Einstellungen"));
    setWindowIcon(pictures::window_icon());
    setFont(ui::sans_font(8.25));
    setFixedSize(ui::twips_to_px(this, 4320), ui::twips_to_px(this, 2610));
    move(ui::twips_to_px(this, 2280), ui::twips_to_px(this, 1860));
    build_controls();
    name_controls();

    // The saved state of UCC1 holds only its font.
    PropertyBag saved;
    saved.set(QStringLiteral("font"),
        QVariant::fromValue(
            std::make_shared<FontObject>(FontObject { QStringLiteral("MS Sans Serif"), 8.25 })));
    UCC1->ReadProperties(saved);

    QObject::connect(OKButton, &QPushButton::clicked, this, &Dialog::OKButton_Click);
    QObject::connect(CancelButton, &QPushButton::clicked, this, &Dialog::CancelButton_Click);
    url->installEventFilter(this);
    Form_Load();
}

void Dialog::build_controls()
{
    // Created in tab order.
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    ui::place(OKButton, 3000, 120, 1095, 300);
    // OK is the default button: Enter in the text box or on the check box means OK. A focused
    // button takes Enter itself, as on any desktop (buttons of a dialog are auto-default).
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    ui::place(CancelButton, 3000, 480, 1095, 300);
    Label1 = ui::add_label(
        this, QStringLiteral("Tembrill Connect Einstellungen"), 840, 120, 1935, 615);
    Label1->setFont(ui::sans_font(9.75));
    Label1->setWordWrap(true);
    Label2 = ui::add_label(this, QStringLiteral("Tembrill IP-Adresse:"), 240, 1110, 1575, 255);
    show_check = new QCheckBox(QStringLiteral("Verbindungsdauer anzeigen"), this);
    ui::place(show_check, 240, 1440, 2295, 375);
    // Linux fonts and check marks are wider than the ones this layout was drawn with: the
    // caption runs on towards the hyperlink control (which draws nothing) rather than be clipped.
    show_check->resize(
        std::max(show_check->sizeHint().width(), show_check->width()), show_check->height());
    ip_addr = new QLineEdit(this);
    ip_addr->setMaxLength(settings_file::max_address);
    ui::place(ip_addr, 1800, 1080, 2295, 285);
    Label3 = ui::add_label(this, copyright_text, 240, 2040, 3855, 255);
    Label3->setFont(ui::narrow_font(6.75));
    // Given its text once built: a text set while it is built is told to assistive
    // technology before it is a link.
    url = new LinkLabel(this);
    url->setText(web_address);
    url->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    url->setAutoFillBackground(true);
    ui::place(url, 240, 2280, 3495, 255);
    url->setFont(ui::narrow_font(8.25, true));
    // Right after the address in the tab chain; Space and Enter open it as a click does.
    url->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(ip_addr, url);
    QPalette blue = url->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    url->setPalette(blue);
    url->setCursor(Qt::PointingHandCursor);
    for (QLabel* label : { Label1, Label2, Label3, url })
        label->setAutoFillBackground(true);
    UCC1 = new UserControl1(this, this);
    ui::place(UCC1, 3360, 1440, 615, 375);
    Image3 = new QLabel(this);
    Image3->setPixmap(pictures::logo(ui::twips_to_px(this, 480), devicePixelRatioF()));
    ui::place(Image3, 120, 120, 480, 480);
}

void Dialog::name_controls()
{
    Image3->setAccessibleName(QStringLiteral("Tembrill-Logo"));
    Label2->setBuddy(ip_addr);
    ip_addr->setAccessibleName(QStringLiteral("Tembrill IP-Adresse"));
    url->setAccessibleName(QStringLiteral("Webadresse: ") + web_address);
    url->setAccessibleDescription(QStringLiteral("\u00d6ffnet die Webadresse im Browser"));
    UCC1->setAccessibleName(QStringLiteral("Hyperlink"));
}

FontRef Dialog::AmbientFont()
{
    // The dialog's own font: regular, upright, plain.
    return std::make_shared<FontObject>(FontObject { font().family(), font().pointSizeF() });
}

bool Dialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != url)
        return QDialog::eventFilter(watched, event);
    bool clicked = false;
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        clicked = mouse->button() == Qt::LeftButton
            && url->rect().contains(mouse->position().toPoint());
    }
    const auto* press
        = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    const int key = press ? press->key() : 0;
    // Enter on the focused link opens it rather than pressing OK; a key held down opens it once.
    if (clicked || key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (!press || !press->isAutoRepeat())
            url_Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Dialog::CancelButton_Click()
{
    Globals::settings_accepted = false;
    done(QDialog::Rejected);
}

void Dialog::Form_Load()
{
    ip_addr->setText(Globals::ip_address);
    show_check->setChecked(Globals::show_duration);
}

void Dialog::OKButton_Click()
{
    // remote.inf could not give such an address back: say so and let it be corrected.
    if (!settings_file::can_hold(ip_addr->text())) {
        m_boxes.show_message(QStringLiteral(
            "Die Adresse kann so nicht gespeichert werden: Anf\u00fchrungszeichen (\") und "
            "Zeichen au\u00dferhalb von Latin-1 sind nicht m\u00f6glich."));
        ip_addr->setFocus();
        return;
    }
    Globals::ip_address = ip_addr->text();
    Globals::show_duration = show_check->checkState() != Qt::Unchecked;
    Globals::settings_accepted = true;
    done(QDialog::Accepted);
}

void Dialog::url_Click()
{
    // Read late-bound, as a container's caller would.
    const HyperlinkRef link
        = UCC1->invoke(dispid::HyperLink, UserControl1::Call::Get).value<HyperlinkRef>();
    const QString target = url->text();
    if (link)
        link->NavigateTo(target, QString(), QString());
}

bool ModalSettingsOpener::open_settings()
{
    // No owner window: like the main window, the dialog stands on its own.
    Dialog dialog(m_browser);
    return dialog.exec() == QDialog::Accepted;
}
