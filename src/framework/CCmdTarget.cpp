#include "CCmdTarget.h"

#include "CCmdUI.h"

CCmdTarget::~CCmdTarget() = default;

bool CCmdTarget::OnCmdMsg(int id) {
    const auto it = m_handlers.find(id);
    if (it != m_handlers.end()) {
        // Copy first: a handler may close the window that owns this target.
        Handler handler = it->second;
        handler();
        return true;
    }
    if (const Range* range = FindRange(id, false)) {
        RangeHandler handler = range->handler;
        handler(id);
        return true;
    }
    return false;
}

bool CCmdTarget::OnUpdateCmdUI(CCmdUI* ui) {
    const auto it = m_updaters.find(ui->m_nID);
    if (it != m_updaters.end()) {
        ui->m_enabled = true;
        it->second(ui);
        return true;
    }
    if (const Range* range = FindRange(ui->m_nID, true)) {
        ui->m_enabled = true;
        range->updater(ui);
        return true;
    }
    if (HasCommand(ui->m_nID)) {
        ui->Enable(true);
        return true;
    }
    return false;
}

bool CCmdTarget::HasCommand(int id) const {
    return m_handlers.count(id) != 0 || FindRange(id, false) != nullptr;
}

void CCmdTarget::OnCommand(int id, Handler handler) {
    m_handlers[id] = std::move(handler);
}

void CCmdTarget::OnCommand(int id, Handler handler, Updater updater) {
    OnCommand(id, std::move(handler));
    OnUpdateCommand(id, std::move(updater));
}

bool CCmdTarget::IsCommandEnabled(int id) {
    CCmdUI ui(id);
    return OnUpdateCmdUI(&ui) && ui.m_enabled;
}

void CCmdTarget::OnCommandRange(int first, int last, RangeHandler handler) {
    m_ranges.push_back({first, last, std::move(handler), {}});
}

void CCmdTarget::OnUpdateCommand(int id, Updater updater) {
    m_updaters[id] = std::move(updater);
}

void CCmdTarget::OnUpdateCommandRange(int first, int last, Updater updater) {
    m_ranges.push_back({first, last, {}, std::move(updater)});
}

const CCmdTarget::Range* CCmdTarget::FindRange(int id, bool wantUpdater) const {
    for (const Range& range : m_ranges) {
        if (id < range.first || id > range.last)
            continue;
        if (wantUpdater ? static_cast<bool>(range.updater) : static_cast<bool>(range.handler))
            return &range;
    }
    return nullptr;
}
