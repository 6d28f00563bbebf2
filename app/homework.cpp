#include "mainwidget.h"

void MainWidget::onApplay(bool) { }
