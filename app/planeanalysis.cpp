#include "mainwidget.h"

void MainWidget::onCheck(bool) { }

void MainWidget::onGetScroll(bool) { }
