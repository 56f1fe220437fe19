# The settings dialog (choice tables, data exchange, the dialog and its handlers).
