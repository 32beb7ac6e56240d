#pragma once

class CMultiDocTemplate;

// Interim document types until the passwords window and the browser arrive: a passwords window
// that opens a file with the real password prompt and file format and lists the account names
// only (it saves nothing), and the browser type, registered for its place in the order.
CMultiDocTemplate* CreateStandInPasswordsTemplate();
CMultiDocTemplate* CreateStandInBrowserTemplate();
