# Sphinx configuration of the QrtzDB site; docs/build.sh sets the paths below.
import os
import pathlib
import sys

project = 'QrtzDB'
author = 'the QrtzDB developers'
version = release = '0.1'
extensions = ['breathe', 'sphinx.ext.autodoc']

breathe_projects = {'qrtzdb': os.environ['QRTZ_DOXYGEN_XML']}
breathe_default_project = 'qrtzdb'
breathe_domain_by_extension = {'h': 'cpp'}
primary_domain = 'cpp'
highlight_language = 'none'

# The Python package's module, when it is built, sits in the build tree.
python_dir = pathlib.Path(os.environ.get('QRTZ_BUILD_DIR', '')) / 'python'
if python_dir.is_dir():
    sys.path.insert(0, str(python_dir))

html_theme = 'furo'
html_title = 'QrtzDB'
html_static_path = []
html_show_sourcelink = False
html_copy_source = False
exclude_patterns = []
nitpicky = False


def setup(app):
    # Debian's furo ships its script unbundled: furo.js imports gumshoe-patched.js as if it were
    # a module, but the theme loads it as a classic script and the browser rejects the import.
    # Load gumshoe first as the classic script it is (it sets window.Gumshoe) and drop the
    # import line from the copied furo.js.
    app.add_js_file('scripts/gumshoe-patched.js', priority=199)

    def drop_import(app, error):
        script = pathlib.Path(app.outdir) / '_static' / 'scripts' / 'furo.js'
        if error is None and script.exists():
            text = script.read_text()
            script.write_text(text.replace('import Gumshoe from "./gumshoe-patched.js";\n', ''))

    app.connect('build-finished', drop_import)

    # The module's signatures in docstrings hold a bare * (keyword-only marker), which reST
    # would take for the start of an emphasis.
    def escape_star(app, what, name, obj, options, lines):
        lines[:] = [line.replace(' *,', ' \\*,') for line in lines]

    app.connect('autodoc-process-docstring', escape_star)
