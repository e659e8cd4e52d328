#include "delivery/phrase_delivery.h"

#include "delivery/maker_info.h"
#include "framework/ole_data_source.h"
#include "framework/shared_file.h"
#include "store/phrase_menu_ids.h"
#include "store/phrase_queries.h"
#include "store/sql_text.h"
#include "store/trace.h"

#include <cstdio>
#include <cstring>
#include <exception>

namespace brevicor {

namespace {

void TraceSkipped(const char* step, const char* reason) {
    char line[256];
    std::snprintf(line, sizeof line, "Phrase delivery: %s skipped: %s\n", step, reason);
    WriteTrace(line);
}

void TraceRefused(const char* step, HRESULT hr) {
    char reason[64];
    std::snprintf(reason, sizeof reason, "refused (0x%08lX)", static_cast<unsigned long>(hr));
    TraceSkipped(step, reason);
}

} // namespace

std::string PhraseTextFor(unsigned commandId) {
    std::optional<int> phraseId = TrayMenuPhraseIds().PhraseIdFor(commandId);
    return phraseId ? DecodeApostrophes(GetContentByPhraseId(*phraseId)) : std::string();
}

void TraceDeliverySkipped(const char* step, const char* reason) {
    TraceSkipped(step, reason);
}

void DeliverPhrase(unsigned commandId) {
    // Nothing may reach the user from here: a failure skips the delivery and is traced.
    try {
        std::string text = PhraseTextFor(commandId);
        PutPhraseOnClipboard(text);
        OfferPhraseForDrag(std::move(text));
    } catch (const std::exception& e) {
        TraceSkipped("delivery", e.what());
    }
}

ComPtr<COleDataSource> MakeClipboardSource(std::string text) {
    ComPtr<COleDataSource> source = COleDataSource::Create();
    if (!source) {
        TraceSkipped("clipboard", "no memory for the data source");
        return {};
    }
    text += SignatureBlock();
    CSharedFile file(kSharedFileFlags, kSharedFileGrowBytes);
    // With its terminating zero: the block is the smallest multiple of the step larger
    // than the text, so a zero byte follows it whatever its length.
    if (!file.Write(text.c_str(), text.size() + 1)) {
        TraceSkipped("clipboard", "no memory for the text");
        return {};
    }
    GlobalMemory block = file.Detach();
    if (!block) {
        TraceSkipped("clipboard", "no memory block");
        return {};
    }
    source->CacheGlobalData(CF_TEXT, std::move(block));
    return source;
}

bool PutPhraseOnClipboard(std::string text) {
    try {
        ComPtr<COleDataSource> source = MakeClipboardSource(std::move(text));
        if (!source) {
            return false;
        }
        // The clipboard holds its own reference from here; ours goes with `source`.
        if (HRESULT hr = source->SetClipboard(); FAILED(hr)) {
            TraceRefused("clipboard", hr);
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        TraceSkipped("clipboard", e.what());
        return false;
    }
}

void OfferPhraseForDrag(std::string text) {
    try {
        ComPtr<COleDataSource> source = COleDataSource::Create();
        if (!source) {
            TraceSkipped("drag", "no memory for the data source");
            return;
        }
        text += SignatureBlock();
        GlobalMemory block(GlobalAlloc(GMEM_FIXED, text.size() + 1));
        if (!block) {
            TraceSkipped("drag", "no memory for the text");
            return;
        }
        std::memcpy(block.Get(), text.c_str(), text.size() + 1); // a fixed block is its address
        source->CacheGlobalData(CF_TEXT, std::move(block));
        // A move must not take anything from the library, so the effect is not looked at.
        source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
    } catch (const std::exception& e) {
        TraceSkipped("drag", e.what());
    }
}

} // namespace brevicor
