#pragma once
// THelpForm: the user guide in the current language - a title line, then a
// bracketed heading per task with numbered steps and the pictures of the
// tool buttons they name - in a scrolling box, with the maker's contact
// links below. It wears a skin of its own (skin one only on narrow screens
// with skin one chosen); Esc closes it.

#include <QDialog>
#include <QStringList>

class QGroupBox;
class QTextBrowser;

namespace services {

class TContactLink;

class THelpForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 606;
    static constexpr int ClientHeight = 384;

    // `narrowScreen` and `face` (1 or 2) are the main window's screen class
    // and skin choice.
    THelpForm(bool narrowScreen, int face, QWidget *parent = nullptr);

    // 1 or 2: the help window's skin for that screen and choice.
    static int HelpSkinFor(bool narrowScreen, int face);
    int helpSkin() const { return skin_; }

    // Caption and guide of the current language.
    void SetTexts();

    QTextBrowser *guide() const { return guide_; }
    TContactLink *webLink() const { return web_; }
    TContactLink *mailLink() const { return mail_; }
    // The guide's headings of the current language, in order (the title line first).
    static QStringList Headings();

private:
    int skin_;
    QGroupBox *box_;
    QTextBrowser *guide_;
    TContactLink *web_;
    TContactLink *mail_;
};

} // namespace services
