#pragma once

class CMultiDocTemplate;

// The document type of browser windows (resource 124): CKeystowBrowserDoc in a
// CKeystowBrowserChildFrame with one CKeystowBrowserView. It has no menu of its own. Creating
// the type starts nothing of the web engine; the first window does.
CMultiDocTemplate* CreateBrowserDocTemplate();
