#pragma once

class CMultiDocTemplate;

// STAND-IN document types, used until the real ones are in the tree: a read-only text window
// and a passwords window that lists account names. They open files with the real password
// prompt and file formats, and save nothing. To be replaced by the text, passwords and browser
// document types.
CMultiDocTemplate* CreateStandInTextTemplate();
CMultiDocTemplate* CreateStandInPasswordsTemplate();
// The browser type: registered for its place in the order, it creates no document yet.
CMultiDocTemplate* CreateStandInBrowserTemplate();
