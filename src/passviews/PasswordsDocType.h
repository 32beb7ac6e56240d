#pragma once

class CMultiDocTemplate;

// The document type of passwords documents (resource 129): CKeystowDoc in a CKeystowChildFrame.
// The caller owns the template (normally by handing it to CWinApp::AddDocTemplate).
CMultiDocTemplate* CreatePasswordsDocTemplate();
