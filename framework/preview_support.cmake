# What the menu hover preview needs of the framework: the pointer map under the hook registry,
# the owning font and the GDI helpers of the popup text window.
target_sources(brevicor_framework PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/map_ptr_to_ptr.cpp
)
