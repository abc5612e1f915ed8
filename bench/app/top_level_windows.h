#pragma once

// The top-level windows mapped on the X server (DISPLAY), from the server's own
// notices: which windows a program showed, when, and for how long. Used by the
// start-up benchmark under a virtual screen.

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

namespace jotrak::testsupport {

class TopLevelWindows {
public:
    struct Span {
        std::uint32_t id = 0;
        double mapped = 0;
        double gone = -1; // unmapped or destroyed; -1 while still mapped
    };

    // One connection for a whole run: it also keeps the X server from resetting
    // itself between two programs (which it does when its last client leaves).
    static TopLevelWindows& OfScreen()
    {
        static TopLevelWindows windows;
        return windows;
    }

    bool connected() const { return root_ != 0; }
    int descriptor() const { return xcb_get_file_descriptor(connection_); }

    // Forgets what was seen so far (after taking what has arrived).
    void clear(double now)
    {
        take(now);
        spans_.clear();
    }

    // Takes the notices that have arrived, stamped with now.
    void take(double now)
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            const auto type = event->response_type & 0x7f;
            if (type == XCB_MAP_NOTIFY) {
                const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (map->event == root_ && !map->override_redirect)
                    spans_.push_back({map->window, now, -1});
            } else if (type == XCB_UNMAP_NOTIFY || type == XCB_DESTROY_NOTIFY) {
                const std::uint32_t id = type == XCB_UNMAP_NOTIFY
                                             ? reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window
                                             : reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window;
                for (Span& span : spans_) {
                    if (span.id == id && span.gone < 0)
                        span.gone = now;
                }
            }
            std::free(event);
        }
    }

    const std::vector<Span>& spans() const { return spans_; }

    // The last window that stayed mapped for finalAfter seconds (by the time end), or null.
    const Span* final(double end, double finalAfter) const
    {
        for (auto it = spans_.rbegin(); it != spans_.rend(); ++it) {
            if ((it->gone < 0 ? end : it->gone) - it->mapped >= finalAfter)
                return &*it;
        }
        return nullptr;
    }

    // How many different windows were mapped.
    int count() const
    {
        std::set<std::uint32_t> ids;
        for (const Span& span : spans_)
            ids.insert(span.id);
        return static_cast<int>(ids.size());
    }

private:
    TopLevelWindows() : connection_(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(connection_))
            return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        // a round trip: from here on every notice reaches us
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }
    ~TopLevelWindows() { xcb_disconnect(connection_); }
    TopLevelWindows(const TopLevelWindows&) = delete;
    TopLevelWindows& operator=(const TopLevelWindows&) = delete;

    xcb_connection_t* connection_;
    xcb_window_t root_ = 0;
    std::vector<Span> spans_;
};

} // namespace jotrak::testsupport
