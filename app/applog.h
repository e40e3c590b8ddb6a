#pragma once

#include <QLoggingCategory>

// The application shell: start-up, main window and its parameter service.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
