#pragma once
// The feedback message as the feedback service takes it: one form-encoded
// POST body, and the answer's success line.

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace services {

// Per byte: 0-9, A-Z and a-z stay, a blank becomes '+', every other byte
// "%XX" with upper-case hexadecimal digits.
QByteArray FormEncode(const QByteArray &bytes);

struct FeedbackMessage
{
    QString title;
    QString email;
    QString text;      // as typed; line breaks as "\n" or "\r\n"
    QString home;      // the computer's feedback identity, sent as it is
    QDateTime time;    // local time of sending
};

inline constexpr const char *FeedbackUser = "vexlo";

// "user=vexlo&email=...&title=...&text=...&image=on&home=...&time=..." with
// the texts in GBK: blanks removed from the contact; in the message every
// blank written as "&nbsp;" and every line break as "<br>" followed by the
// line feed; the time as "yyyy-MM-dd&nbsp;hh:mm". `home` is sent as it is
// and must be plain ASCII letters and digits (FeedbackIdentity()).
QByteArray FeedbackBody(const FeedbackMessage &message);

// A text that tells this computer's messages apart, the same on every run:
// 14 upper-case hexadecimal digits derived from the machine identity. It is
// not the key of the site book and reveals nothing about it.
QString FeedbackIdentity();

inline constexpr const char *FeedbackSuccessLine = "留言成功";

// True when one line of the answer (UTF-8 or GBK, lines ended by "\n" or
// "\r\n") is exactly the success line.
bool FeedbackSucceeded(const QByteArray &answer);

// Whether a contact text is acceptable: anything that is not meant as a mail
// address (no '@'), or a mail address of the form name@host.domain.
bool ContactAcceptable(const QString &contact);

} // namespace services
