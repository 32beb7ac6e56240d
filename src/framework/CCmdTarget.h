#pragma once

#include <functional>
#include <map>
#include <vector>

class CCmdUI;

// Something that commands can be routed to: a view, a document, a frame or the application.
// Handlers are registered by numeric id in the constructor of the derived class, which keeps
// the table next to the class like a message map. A target that needs more control overrides
// OnCmdMsg / OnUpdateCmdUI.
class CCmdTarget {
public:
    using Handler = std::function<void()>;
    using RangeHandler = std::function<void(int)>;
    using Updater = std::function<void(CCmdUI*)>;

    CCmdTarget() = default;
    virtual ~CCmdTarget();
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Runs the handler of id; false when this target has none.
    virtual bool OnCmdMsg(int id);
    // Decides the state of id; false when this target does not know the command, so that the
    // next target is asked. A command with a handler but no updater is enabled.
    virtual bool OnUpdateCmdUI(CCmdUI* ui);

    bool HasCommand(int id) const;
    // Whether this target knows id and would run it now.
    bool IsCommandEnabled(int id);

protected:
    void OnCommand(int id, Handler handler);
    // A handler together with the rule that enables it.
    void OnCommand(int id, Handler handler, Updater updater);
    void OnCommandRange(int first, int last, RangeHandler handler);
    void OnUpdateCommand(int id, Updater updater);
    void OnUpdateCommandRange(int first, int last, Updater updater);

private:
    struct Range {
        int first;
        int last;
        RangeHandler handler;
        Updater updater;
    };
    const Range* FindRange(int id, bool wantUpdater) const;

    std::map<int, Handler> m_handlers;
    std::map<int, Updater> m_updaters;
    std::vector<Range> m_ranges;
};
