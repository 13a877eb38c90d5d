/* Folioknife's skin: a Qt style sheet applied to the main window when this file is present. */
QPushButton {
    color: #1c2f4a;
    border: 1px solid #7f93b0;
    border-radius: 3px;
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #fdfeff, stop: 0.5 #e4ecf7, stop: 1 #cfdcee);
}
QPushButton:hover {
    border-color: #e0a030;
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #fffbea, stop: 0.5 #ffe9a8, stop: 1 #ffd870);
}
QPushButton:pressed {
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #f8c860, stop: 1 #ffe7a0);
}
QPushButton:focus {
    border-color: #3a6fb8;
}
QProgressBar {
    border: 1px solid #7f93b0;
    border-radius: 3px;
    background: #ffffff;
    color: #1c2f4a;
}
QProgressBar::chunk {
    background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #b9e27a, stop: 1 #6fb53a);
}
