#pragma once
// TAboutOur: the about window - the program's one-line description, the
// maker's notice and the maker's web page and mail address as links.

#include <QDialog>

class QLabel;
class QPushButton;

namespace services {

class TContactLink;

class TAboutOur : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 396;
    static constexpr int ClientHeight = 165;

    explicit TAboutOur(QWidget *parent = nullptr);

    // Caption and texts of the current language.
    void SetTexts();

    QLabel *description() const { return description_; }
    QLabel *notice() const { return notice_; }
    QPushButton *okButton() const { return ok_; }
    TContactLink *webLink() const { return web_; }
    TContactLink *mailLink() const { return mail_; }

private:
    QLabel *icon_;
    QLabel *description_;
    QLabel *notice_;
    QLabel *webLabel_;
    QLabel *mailLabel_;
    TContactLink *web_;
    TContactLink *mail_;
    QPushButton *ok_;
};

} // namespace services
