#pragma once

class CMultiDocTemplate;

// The document type of encrypted text documents (resource and menu 104): CEditorDoc in a
// CChildFrame with one CEditorView. The caller owns the template (normally by handing it to
// CWinApp::AddDocTemplate).
CMultiDocTemplate* CreateTextDocTemplate();

// The seven-field document string of the type.
extern const char kTextDocString[];
