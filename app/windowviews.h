#pragma once

#include "app/serviceports.h"

class ViewHistory;
class ViewParam;

// The window's two views as the parameter service sees them.
class WindowViews : public ServiceViews
{
public:
    void setViews(ViewHistory* history, ViewParam* param);

    bool sendHistoryWrite() override;
    int nextHistoryRead() override;
    bool sendParamWrite() override;
    void resetHistoryQueues() override;
    void prepareHistoryReadList() override;
    void historyParamValue(int id, const QByteArray& value) override;
    void setHistoryProgress(int percent) override;
    void showHistoryProcessing() override;
    void historyData(const QByteArray& block) override;
    void historyTooLarge() override;
    void paramInfo(const QByteArray& record) override;
    void showParamProgress(bool visible) override;
    void setParamProgressMaximum(int maximum) override;
    void stepParamProgress() override;
    void setParamFileName(const QString& name) override;
    void uncheckRefreshButtons() override;
    void firmwareKnown() override;

private:
    ViewHistory* m_history = nullptr;
    ViewParam* m_param = nullptr;
};
