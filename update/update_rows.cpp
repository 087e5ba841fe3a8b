#include "update/update_rows.h"

#include "update/update_messages.h"

namespace orvel::update {

void UpdateRowModel::SetRows(std::vector<UpdateRow> rows)
{
    std::lock_guard lock(mutex_);
    rows_ = std::move(rows);
    rowPending_.assign(rows_.size(), false);
    for (std::size_t i = 0; i < rows_.size(); ++i)
        PostRow(i);
}

std::size_t UpdateRowModel::Count() const
{
    std::lock_guard lock(mutex_);
    return rows_.size();
}

UpdateRow UpdateRowModel::Row(std::size_t index) const
{
    std::lock_guard lock(mutex_);
    return index < rows_.size() ? rows_[index] : UpdateRow{};
}

void UpdateRowModel::Change(std::size_t index, const std::function<void(UpdateRow&)>& change)
{
    std::lock_guard lock(mutex_);
    if (index >= rows_.size())
        return;
    change(rows_[index]);
    PostRow(index);
}

void UpdateRowModel::ChangeEach(const std::function<bool(UpdateRow&)>& change)
{
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (change(rows_[i]))
            PostRow(i);
    }
}

bool UpdateRowModel::Any(const std::function<bool(const UpdateRow&)>& test) const
{
    return Find(test) != Count();
}

std::size_t UpdateRowModel::Find(const std::function<bool(const UpdateRow&)>& test) const
{
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (test(rows_[i]))
            return i;
    }
    return rows_.size();
}

void UpdateRowModel::SetPage(int status)
{
    std::lock_guard lock(mutex_);
    page_.status = status;
    PostPage();
}

void UpdateRowModel::SetLastCheckDate(std::string date)
{
    std::lock_guard lock(mutex_);
    page_.lastCheckDate = std::move(date);
    PostPage();
}

void UpdateRowModel::SetDetail(std::string detail)
{
    std::lock_guard lock(mutex_);
    page_.detail = std::move(detail);
    PostPage();
}

void UpdateRowModel::SetOfferButton(bool on)
{
    std::lock_guard lock(mutex_);
    page_.offerButton = on;
    PostPage();
}

int UpdateRowModel::Page() const
{
    std::lock_guard lock(mutex_);
    return page_.status;
}

RowView UpdateRowModel::TakeRow(std::size_t index)
{
    std::lock_guard lock(mutex_);
    if (index >= rows_.size())
        return {UpdateRow{}, LookOfRow(kRowNothing, false, false)};
    rowPending_[index] = false;
    RowView view{rows_[index], {}};
    view.look = LookOfRow(view.row.state, view.row.checkFailed, view.row.product.IsProgram());
    rows_[index].justDownloaded = false;
    return view;
}

PageView UpdateRowModel::TakePage()
{
    std::lock_guard lock(mutex_);
    pagePending_ = false;
    PageView view = page_;
    view.look = LookOfPage(view.status);
    return view;
}

void UpdateRowModel::PostRow(std::size_t index)
{
    if (rowPending_[index])
        return;
    // A window that is gone or closing takes no more messages; nothing is pending then.
    rowPending_[index] = PostMessageW(window_, WM_UPDATE_ROW_CHANGED, index, 0);
}

void UpdateRowModel::PostPage()
{
    if (!pagePending_)
        pagePending_ = PostMessageW(window_, WM_UPDATE_PAGE_CHANGED, 0, 0);
}

} // namespace orvel::update
