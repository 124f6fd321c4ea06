"""The private Windows desktop that the demo, the benchmarks and the
end-to-end tests run on: Xvfb, a Wine prefix, a private print server, the
real programs, and orvprobe and orvdesk to drive them."""
from .pdf import pdf_info, pdf_text, ps_to_pdf
from .agent import CLASS_FIRST, CLASS_SECOND, WM_DESTROY, Agent
from .wine import ARTIFACTS, BUILD, ROOT, RUN, Desktop, ProbeStream, memory_kib

__all__ = ["ARTIFACTS", "BUILD", "CLASS_FIRST", "CLASS_SECOND", "ROOT", "RUN", "WM_DESTROY", "Agent",
           "Desktop", "ProbeStream", "memory_kib", "pdf_info", "pdf_text", "ps_to_pdf"]
