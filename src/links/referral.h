#pragma once

#include <QString>

// The referral: what the exit window's "Refer A Friend" form last sent.
namespace modTellAFriend {

// What each field of the form shows while it is empty; a value that is only
// the prompt counts as missing.
namespace prompt {
inline constexpr char senderName[] = "Your Name";
inline constexpr char senderEmail[] = "Your Email Address";
inline constexpr char message[] = "Your Message";
inline constexpr char friendName[] = "Friend's Name";
inline constexpr char friendEmail[] = "Friend's Email Address";
} // namespace prompt

// Trimmed field values of the last press of the submit button.
extern QString SenderName;
extern QString SenderEmail;
extern QString MessageText;
extern QString FriendName;
extern QString FriendEmail;
// The complete request address of the last referral sent.
extern QString ReferralUrl;

// The longest request address handed to the browser, in bytes of encoded
// ASCII. Common web servers refuse a request line (method, address and
// protocol) beyond about 8 KB, and a longer address than that cannot arrive.
constexpr qsizetype MaxReferralUrlLength = 8000;
// The most any one field can hold: every character takes at least one byte of
// the address, so more could never be sent.
qsizetype LongestFieldText();

QString ReferralScriptUrl();
QString ProductPageUrl();

// Checks the stored name, message and friend's name; when they pass, builds
// the request address and, unless it is longer than MaxReferralUrlLength,
// stores it in ReferralUrl and opens it.
void SubmitReferral();
void OpenReferralPage();

// The request address for the stored values. Every value is percent-encoded
// as a query component (UTF-8, all but the unreserved characters), so that
// "&", "=", "#", "+", line breaks and any letter reach the referral script
// exactly as typed.
QString BuildReferralUrl();

} // namespace modTellAFriend
