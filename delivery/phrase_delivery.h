#pragma once

#include <string>

// Handing a chosen phrase over: first on the clipboard as plain text (CF_TEXT), then as the
// source of a drag-and-drop. Both carry the stored content, apostrophes restored, followed by
// the signature block. Windows build only.
namespace brevicor {

// Three line feeds, "Done by Brevicor from <domain>", a line feed, "Get yours FREE from
// <site>", a line feed. Line feeds only, never CR LF.
const std::string& SignatureBlock();

// Delivers the phrase a tray-menu identifier stands for (see PhraseMenuIds); an identifier
// naming no phrase delivers the signature alone.
void DeliverPhrase(unsigned commandId);

void PutPhraseOnClipboard(std::string text);
void OfferPhraseForDrag(std::string text);

} // namespace brevicor
