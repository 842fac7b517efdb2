#pragma once
// TSiteUser and TSitePassword: the prompts that ask for a new user name or
// password when a server refused the login. Each request gets a fresh prompt
// with an empty field; OK (or Enter) closes it only when the field holds text.

#include <QDialog>

#include <optional>

class QLineEdit;
class QPushButton;

namespace sites {

class TSitePrompt : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 295;
    static constexpr int ClientHeight = 75;

    QLineEdit *field() const { return field_; }
    QPushButton *okButton() const { return ok_; }
    QPushButton *cancelButton() const { return cancel_; }

    // Texts of the language chosen by ui::UseSimplified().
    void SetTexts();

    // Shows the prompt modally; the typed text, or nothing after Cancel or
    // closing the window.
    std::optional<QString> Ask();

protected:
    TSitePrompt(const char *name, const char *simplified, const char *traditional, bool hidden,
                QWidget *parent);

private:
    void OkClicked();

    const char *simplifiedCaption_;
    const char *traditionalCaption_;
    QLineEdit *field_;
    QPushButton *ok_;
    QPushButton *cancel_;
};

class TSiteUser : public TSitePrompt
{
    Q_OBJECT
public:
    explicit TSiteUser(QWidget *parent = nullptr);
};

// The field hides what is typed.
class TSitePassword : public TSitePrompt
{
    Q_OBJECT
public:
    explicit TSitePassword(QWidget *parent = nullptr);
};

} // namespace sites
