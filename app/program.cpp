#include "program.h"

#include "data_folder.h"
#include "mdl_main.h"
#include "menu_wiring.h"

namespace app {

Program::Program(Messages& messages, mail::PopOptions options)
    : m_library(std::move(options)),
      m_sweep(m_library,
              {
                  .account =
                      [] {
                          return mail::Account{MdlMain::sel_server.toString(),
                                               MdlMain::sel_user.toString(),
                                               MdlMain::sel_pass.toString()};
                      },
                  .folder = [] { return store::dataFolder(); },
                  .statusLine = [this](const QString& text) { m_window.setStatusLine(text); },
              }),
      m_window(m_clock, m_sweep, messages)
{
    wireMenu(m_window, messages);
}

} // namespace app
