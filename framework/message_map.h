#pragma once

#include "framework/object.h"

#include <windows.h>

#include <span>

// Message maps: one `static const` table per class of {message, control id, notification,
// handler}. Each entry's handler is a member function with typed arguments; a small template
// turns wParam/lParam into them. A class's map links to its base class's map, and the first
// matching entry, most derived class first, handles the message.
//
//     const MessageMapEntry CMyDlg::messageEntries[] = {
//         MapCommand<&CMyDlg::OnSave>(1003, BN_CLICKED), // void OnSave()
//         MapMessage<&CMyDlg::OnPaint>(WM_PAINT),        // void OnPaint()
//     };
//     const MessageMap CMyDlg::messageMap{&CDialog::messageMap, CMyDlg::messageEntries};
namespace brevicor {

class CCmdTarget;

struct MessageMapEntry {
    UINT message;
    UINT id;   // WM_COMMAND: the control or command identifier; otherwise 0
    UINT code; // WM_COMMAND: the notification code; otherwise 0
    LRESULT (*invoke)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);
};

struct MessageMap {
    const MessageMap* base; // the base class's map; null at the root
    std::span<const MessageMapEntry> entries;
};

// Something that handles messages or commands through a message map.
class CCmdTarget : public CObject {
    DECLARE_RUNTIME_CLASS(CCmdTarget)
public:
    static const MessageMap messageMap;
    virtual const MessageMap* GetMessageMap() const { return &messageMap; }

    // The entry that handles a message: for WM_COMMAND, matched by identifier and notification.
    const MessageMapEntry* FindEntry(UINT message, WPARAM wParam) const;

    // Runs the handler of a command, if the map has one.
    bool OnCmdMsg(UINT id, UINT code);
};

namespace message_map_detail {

template <class T> struct MemberOf;
template <class C, class R, class... A> struct MemberOf<R (C::*)(A...)> { using Class = C; };

template <auto Handler> using ClassOf = typename MemberOf<decltype(Handler)>::Class;

// void OnX()
template <auto Handler> LRESULT InvokeVoid(CCmdTarget& target, WPARAM, LPARAM) {
    (static_cast<ClassOf<Handler>&>(target).*Handler)();
    return 0;
}

// void OnSysCommand(UINT id, LPARAM lParam)
template <auto Handler> LRESULT InvokeSysCommand(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
    (static_cast<ClassOf<Handler>&>(target).*Handler)(static_cast<UINT>(wParam), lParam);
    return 0;
}

// HCURSOR OnQueryDragIcon()
template <auto Handler> LRESULT InvokeQueryDragIcon(CCmdTarget& target, WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>((static_cast<ClassOf<Handler>&>(target).*Handler)());
}

// LRESULT OnMessage(WPARAM wParam, LPARAM lParam)
template <auto Handler> LRESULT InvokeRaw(CCmdTarget& target, WPARAM wParam, LPARAM lParam) {
    return (static_cast<ClassOf<Handler>&>(target).*Handler)(wParam, lParam);
}

} // namespace message_map_detail

// A command from a control or a menu: void Handler().
template <auto Handler> constexpr MessageMapEntry MapCommand(UINT id, UINT code = BN_CLICKED) {
    return {WM_COMMAND, id, code, &message_map_detail::InvokeVoid<Handler>};
}

// A message without arguments (WM_PAINT, WM_CLOSE): void Handler().
template <auto Handler> constexpr MessageMapEntry MapMessage(UINT message) {
    return {message, 0, 0, &message_map_detail::InvokeVoid<Handler>};
}

// WM_SYSCOMMAND: void Handler(UINT id, LPARAM lParam).
template <auto Handler> constexpr MessageMapEntry MapSysCommand() {
    return {WM_SYSCOMMAND, 0, 0, &message_map_detail::InvokeSysCommand<Handler>};
}

// WM_QUERYDRAGICON: HCURSOR Handler().
template <auto Handler> constexpr MessageMapEntry MapQueryDragIcon() {
    return {WM_QUERYDRAGICON, 0, 0, &message_map_detail::InvokeQueryDragIcon<Handler>};
}

// Any message, parameters untouched: LRESULT Handler(WPARAM, LPARAM).
template <auto Handler> constexpr MessageMapEntry MapRawMessage(UINT message) {
    return {message, 0, 0, &message_map_detail::InvokeRaw<Handler>};
}

} // namespace brevicor
