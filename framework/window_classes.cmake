# The window and application classes of the framework: CObject, CWnd, CDialog, message maps,
# data exchange, CWinApp, the application message box and the per-thread message record.
target_sources(brevicor_framework PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/data_exchange.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/message_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/message_map.cpp
    ${CMAKE_CURRENT_LIST_DIR}/object.cpp
    ${CMAKE_CURRENT_LIST_DIR}/thread_message_state.cpp
    ${CMAKE_CURRENT_LIST_DIR}/win_app.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wnd.cpp
)
# Common controls for the program's start-up; Windows Sockets for AfxSocketInit.
target_link_libraries(brevicor_framework PUBLIC comctl32 ws2_32 ole32 user32)
