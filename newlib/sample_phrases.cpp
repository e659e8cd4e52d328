#include "newlib/sample_phrases.h"

namespace brevicor {

namespace {

// Hex escapes end at the first character that is not a hex digit, so text after one that
// starts with a hex letter is a separate literal.
constexpr SamplePhrase kPhrases[] = {
    {"Greetings", "hi", "Hello,\r\n\r\n"},
    {"Greetings", "dear", "Dear Sir or Madam,\r\n\r\n"},
    {"Greetings", "morning", "Good morning! I hope you\xAC`re well."},
    {"Greetings", "bonjour", "Bonjour, j\xAC`esp\xE8re que vous allez bien."},
    {"Sign-offs", "regards", "\r\nKind regards,\r\nRen\xE9"},
    {"Sign-offs", "thanks", "Thanks again, and don\xAC`t hesitate to ask.\r\nBest,"},
    {"Sign-offs", "gruss",
     "Mit freundlichen Gr\xFC\xDF"
     "en"},
    {"Addresses", "office", "Brevicor Ltd\r\n12 Mill Lane\r\nBristol BS1 4AB"},
    {"Addresses", "paris", "5 rue de l\xAC`\xC9glise\r\n75004 Paris"},
    {"Replies", "invoice", "Your invoice of \x80 120.50 was paid today."},
    {"Replies", "received",
     "We\xAC`ve received your message and will reply within two working days."},
    {"\xC9tudes", "caf\xE9", "Rendez-vous au caf\xE9 \xE0 10 h."},
};

} // namespace

std::span<const SamplePhrase> SamplePhrases() {
    return kPhrases;
}

} // namespace brevicor
