#pragma once

#include "delivery/maker_info.h"
#include "framework/com_ptr.h"
#include "framework/ole_data_source.h"

#include <string>

// Handing a chosen phrase over: first on the clipboard as plain text (CF_TEXT), then as the
// source of a drag-and-drop. Both carry the stored content, apostrophes restored, followed by
// the signature block. Windows build only.
namespace brevicor {

// Delivers the phrase a tray-menu identifier stands for (see PhraseMenuIds); an identifier
// naming no phrase delivers the signature alone.
void DeliverPhrase(unsigned commandId);

// The text an identifier delivers before the signature: its phrase's content with the
// apostrophes restored, or an empty text when it names no phrase.
std::string PhraseTextFor(unsigned commandId);

// The clipboard's data source for a text: the text and the signature block under CF_TEXT, in
// a shareable block. Null, with a trace line, when memory is short.
ComPtr<COleDataSource> MakeClipboardSource(std::string text);

// True when the phrase is on the clipboard; a refusal is traced.
bool PutPhraseOnClipboard(std::string text);
void OfferPhraseForDrag(std::string text);

// A trace line for a delivery step that did not happen, and why.
void TraceDeliverySkipped(const char* step, const char* reason);

} // namespace brevicor
