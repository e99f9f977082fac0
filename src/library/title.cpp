#include "library/title.h"

#include "library/librarylistener.h"

void TTitleDisposer::operator()(TTitle *title) const
{
    if (!title) return;
    LibraryListener().TitleDisposed(title);
    delete title;
}

void DisposeTitle(TOwnedTitle title)
{
    title.reset();
}
