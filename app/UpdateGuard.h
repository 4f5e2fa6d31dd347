#pragma once
// Sets a bool for a scope and gives it back its earlier value, so that the
// window's own writes into the model do not come back into its controls. The
// window and the collaborators that write for it share one flag.

class UpdateGuard
{
public:
    explicit UpdateGuard(bool& flag) : flag(flag), saved(flag) { flag = true; }
    ~UpdateGuard() { flag = saved; }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;

private:
    bool& flag;
    bool saved;
};
