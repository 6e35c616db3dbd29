' 5 million reads and writes of a member of a Type object.
Type Pt
  Dim x As Long
  Dim y As Long
End Type

Function Main() As Long
  Dim i As Long
  Pt.x = 0
  For i = 1 To 5000000
    Pt.x = Pt.x + 1
  Next i
  Main = Pt.x
End Function
