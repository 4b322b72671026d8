#pragma once

#include <QMetaType>
#include <QString>

#include <memory>

// The container's hyperlink object: opens a target address in the user's web browser.
class Hyperlink {
public:
    virtual ~Hyperlink() = default;
    virtual void NavigateTo(
        const QString& target, const QString& location, const QString& frameName)
        = 0;
};

using HyperlinkRef = std::shared_ptr<Hyperlink>;
Q_DECLARE_METATYPE(HyperlinkRef)

// The real one, through the desktop's URL handler.
class DesktopHyperlink : public Hyperlink {
public:
    void NavigateTo(
        const QString& target, const QString& location, const QString& frameName) override;
};
