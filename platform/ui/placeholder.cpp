// The window layer: application object, message boxes, picture control, tray icon.
