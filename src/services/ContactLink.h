#pragma once
// The contact lines of the help and about windows: a text that is underlined
// while the mouse is over it and opens its address (the maker's web page in
// the browser, a mailto: address in the mail program) when clicked.

#include <QLabel>
#include <QUrl>

#include <functional>

namespace services {

// The maker's contact addresses.
inline constexpr const char *MakerWebPage = "https://www.brambleway.example/";
inline constexpr const char *MakerMail = "support@brambleway.example";

class TContactLink : public QLabel
{
    Q_OBJECT
public:
    TContactLink(const QString &text, const QUrl &address, QWidget *parent = nullptr);

    const QUrl &address() const { return address_; }
    bool underlined() const { return font().underline(); }

    // Opens the address as a click does; false when nothing could open it.
    bool Open() const;

protected:
    void showEvent(QShowEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setUnderlined(bool on);

    QUrl address_;
};

// The web page and the mail address as two links.
TContactLink *MakeWebPageLink(QWidget *parent);
TContactLink *MakeMailLink(QWidget *parent);

// Tests replace the desktop here (the hook gets the address and returns the
// result); an empty hook restores it.
void SetLinkOpenHook(std::function<bool(const QUrl &address)> hook);

} // namespace services
