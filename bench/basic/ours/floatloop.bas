' Floating-point arithmetic in a counted loop.
Function Main() As Double
  Dim i As Long, x As Double
  x = 0
  For i = 1 To 3000000
    x = x + i * 0.5 / (i + 1.0)
  Next i
  Main = x
End Function
