#pragma once

class CMultiDocTemplate;

// Interim document type until the browser arrives: registered for its place in the order.
CMultiDocTemplate* CreateStandInBrowserTemplate();
