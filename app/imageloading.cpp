#include "mainwidget.h"

void MainWidget::onActivateCombo(const QString &) { }

void MainWidget::onReview(bool) { }

void MainWidget::onDialChange(int) { }
